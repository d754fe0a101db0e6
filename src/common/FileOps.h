#pragma once
// File operations the accounting files need beyond FileSystem.h: setting a file's mode
// and moving a file aside without overwriting anything.
#include <string>
#include <sys/types.h>

namespace vr31k {

// fchmod on the regular file at `path` (a link there is not followed); false on failure.
bool SetFileMode(const std::string& path, mode_t mode);
// Renames `from` to `to` only when `to` does not exist yet. 0 or an errno value
// (EEXIST when `to` is taken).
int RenameNoReplace(const std::string& from, const std::string& to);
// Moves a damaged file out of the way of its replacement, never over anything:
// to "<path>.unreadable-YYYYMMDD-HHMMSS" (local time), or that name with "-2", "-3"...
// when taken. 0 with the new name in `aside`, or an errno value (the file stays).
int MoveUnreadableAside(const std::string& path, std::string& aside);

}  // namespace vr31k
