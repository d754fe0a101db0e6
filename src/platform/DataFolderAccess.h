#pragma once
// Who may use the data folder, and its creation. The per-machine folder belongs to root
// and the group of the card's users (root:dialout, setgid, 2770) and is made by the
// install step; a folder named by VR31K_DATA_DIR or --data-dir is the user's own and is
// made private (0700) when missing. An existing folder's mode is never loosened.
#include <string>

namespace vr31k {

enum class DataFolderState {
    Ready,      // exists and this process may read and write in it
    Created,    // was missing and has been made
    Missing,    // missing, and not asked to make it
    NotMember,  // closed to this user, who is not (or not yet, in this session) in its group
    Failed,     // cannot be made or used; `message` says why
};

struct DataFolderCheck {
    DataFolderState state = DataFolderState::Failed;
    // Why the folder cannot be used, with what to do about it (empty when usable).
    std::string message;
    // A note that does not stop the work: a folder open to every local user.
    std::string warning;
    // NotMember: the folder's group, and whether this user joined it after the session began.
    std::string group;
    bool joinedLater = false;
    bool Usable() const { return state == DataFolderState::Ready || state == DataFolderState::Created; }
};

// Checks that this process may use `folder`; with `create`, makes a missing folder
// (the per-machine one only as root, root:dialout 2770; any other 0700).
DataFolderCheck PrepareDataFolder(const std::string& folder, bool create);

}  // namespace vr31k
