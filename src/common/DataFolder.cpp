#include "common/DataFolder.h"

#include <cstdlib>

namespace vr31k {

std::string DefaultDataFolder() {
    const char* env = std::getenv(kDataDirVariable);
    if (env != nullptr && *env != '\0') return env;
    return kMachineDataFolder;
}

std::string PortFromEnvironment() {
    const char* env = std::getenv(kPortVariable);
    return env != nullptr ? env : std::string();
}

DataPaths MakeDataPaths(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    DataPaths paths;
    paths.folder = folder;
    paths.settings = folder + "VR31KUTL.ini";
    paths.history = folder + "VR31KUTL.mdb";
    paths.phonebook = folder + "VR31KUTL.pbk";
    paths.credentials = folder + "VR31KUTL.dat";
    return paths;
}

bool IsMachineDataFolder(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path + "/" == kMachineDataFolder;
}

}  // namespace vr31k
