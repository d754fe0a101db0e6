#pragma once
// The per-machine data folder and the four files in it.
#include <string>
#include <sys/types.h>

namespace vr31k {

inline constexpr const char* kDataDirVariable = "VR31K_DATA_DIR";
// A card port that stands in for PortName without changing the settings file (a
// simulated card for one session).
inline constexpr const char* kPortVariable = "VR31K_PORT";
inline constexpr const char* kMachineDataFolder = "/var/lib/vr31k-utility/";
// Whoever may open the card's tty shares its data: the per-machine folder belongs to
// root and this group, setgid, closed to everyone else; its files are 0660.
inline constexpr const char* kDataGroup = "dialout";
inline constexpr mode_t kSharedFolderMode = 02770;
inline constexpr mode_t kSharedFileMode = 0660;
// A folder of the user's own (VR31K_DATA_DIR, --data-dir) made by the program.
inline constexpr mode_t kPrivateFolderMode = 0700;

// The files of the folder, and the side files the history's engine makes beside it.
inline constexpr const char* kDataFileNames[] = {"VR31KUTL.ini", "VR31KUTL.mdb", "VR31KUTL.pbk", "VR31KUTL.dat"};
inline constexpr const char* kHistorySideSuffixes[] = {"-journal", "-wal", "-shm"};

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
// Whether `folder` names the per-machine folder (with or without the trailing slash).
bool IsMachineDataFolder(const std::string& folder);
// VR31K_PORT when set and non-empty, else empty.
std::string PortFromEnvironment();

}  // namespace vr31k
