#pragma once
// What a command changed in the data folder, told to the utility running in this
// session over its instance socket ("changed plan|limit"), so the window applies it at
// once; its watch of the folder would see it a moment later.
#include "common/DataFolder.h"
#include "common/SettingsStore.h"
#include "mainwnd/DataChanges.h"

#include <array>
#include <string>
#include <sys/stat.h>

namespace vr31k::cli {

class FolderChanges {
public:
    // Takes the picture of the folder before the command.
    explicit FolderChanges(const DataPaths& paths);
    // What differs from the picture now.
    DataChanges Since() const;

private:
    struct Picture {
        DialupSettings plan;
        LimitSettings limit;
        UtilitySettings utility;
        std::string portName;
        // The entry files and the history with its log: which file, its size and time.
        std::array<struct stat, 5> files{};
    };
    Picture Take() const;

    DataPaths m_paths;
    Picture m_before;
};

// Tells the running utility of this user; nothing when none runs or it does not answer.
void TellRunningUtility(DataChanges changes);

}  // namespace vr31k::cli
