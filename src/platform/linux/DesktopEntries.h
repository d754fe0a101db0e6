#pragma once
// Installed desktop entries, as the per-program counting names applications.
#include <string>
#include <vector>

namespace vr31k {

// Where the system's and the packaging formats' desktop entries are installed.
std::vector<std::string> SystemApplicationFolders();
// The Name (Name[ja] first) of the desktop entry `desktopId` ("firefox.desktop") in the
// first of `folders` that has it; "" when none does or the id is not a plain file name.
std::string DesktopEntryName(const std::string& desktopId, const std::vector<std::string>& folders);

}  // namespace vr31k
