#include "platform/linux/DesktopEntries.h"

#include "common/FileSystem.h"

#include <sstream>

namespace vr31k {

std::vector<std::string> SystemApplicationFolders() {
    return {"/usr/local/share/applications", "/usr/share/applications", "/var/lib/flatpak/exports/share/applications",
            "/var/lib/snapd/desktop/applications"};
}

std::string DesktopEntryName(const std::string& desktopId, const std::vector<std::string>& folders) {
    if (desktopId.empty() || desktopId[0] == '.' || desktopId.find('/') != std::string::npos) return {};
    for (const std::string& folder : folders) {
        std::string text;
        if (!ReadWholeFile(folder + "/" + desktopId, 256 * 1024, text)) continue;
        std::istringstream lines(text);
        std::string line, name, japanese;
        bool inEntry = false;
        while (std::getline(lines, line)) {
            if (!line.empty() && line[0] == '[') inEntry = line == "[Desktop Entry]";
            if (inEntry && line.rfind("Name=", 0) == 0 && name.empty()) name = line.substr(5);
            if (inEntry && line.rfind("Name[ja]=", 0) == 0 && japanese.empty()) japanese = line.substr(9);
        }
        return japanese.empty() ? name : japanese;
    }
    return {};
}

}  // namespace vr31k
