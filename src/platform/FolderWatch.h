#pragma once
// Watching a folder for some of its files being replaced, written or removed by any
// process. The folder is watched, not the files: a write that replaces a file by rename
// leaves a watch on the old file looking at nothing. Notices are debounced, so the
// burst of events of one write gives one notice.
#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace vr31k {

class IFolderWatch {
public:
    virtual ~IFolderWatch() = default;
    // Ends the watch; no notice is called after it returns.
    virtual void Stop() = 0;
};

// The names of the watched files that changed since the last notice.
using FolderNotice = std::function<void(const std::set<std::string>& names)>;

// Watches `folder` (never through a symlink) for the files `names`. `notice` is called
// on the watch's own thread, `debounce` after a burst of events fell quiet (and at the
// latest four times that after its first event). Null when the folder cannot be watched.
std::unique_ptr<IFolderWatch> WatchFolder(const std::string& folder, std::vector<std::string> names,
                                          std::chrono::milliseconds debounce, FolderNotice notice);

}  // namespace vr31k
