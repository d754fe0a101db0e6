#pragma once
// The user's own runtime folder, for state of this user's processes that nobody else may
// write or plant (the connection of a running `vr31kctl connect`): $XDG_RUNTIME_DIR when
// it is the user's own folder closed to others, else /run/user/UID likewise, else a 0700
// folder of the user's own: /run/vr31kctl-0 for root, for others one made by mkdtemp
// below /tmp and noted in the home folder (none when the home folder is not the user's
// alone). Never through a link and never one that another user made first.
#include <string>

namespace vr31k {

struct RuntimeFolder {
    std::string path;    // empty when there is none to trust
    std::string reason;  // why not
};

RuntimeFolder UserRuntimeFolder();

}  // namespace vr31k
