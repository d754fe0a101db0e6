#pragma once
// The per-machine data folder and the four files in it.
#include <string>

namespace vr31k {

inline constexpr const char* kDataDirVariable = "VR31K_DATA_DIR";
inline constexpr const char* kMachineDataFolder = "/var/lib/vr31k-utility/";

struct DataPaths {
    std::string folder;        // always ends with '/'
    std::string settings;      // VR31KUTL.ini
    std::string history;       // VR31KUTL.mdb
    std::string phonebook;     // VR31KUTL.pbk
    std::string credentials;   // VR31KUTL.dat
};

// VR31K_DATA_DIR when set and non-empty, else the per-machine folder.
std::string DefaultDataFolder();
DataPaths MakeDataPaths(std::string folder);

}  // namespace vr31k
