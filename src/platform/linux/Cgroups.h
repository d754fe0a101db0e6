#pragma once
// The cgroup v2 tree as the per-program counting needs it: where it is mounted, its
// folders with their ids (what nftables' socket cgroupv2 matches), the processes in one,
// and a watch for new folders (a service that starts while a link is up).
#include <cstdint>
#include <string>
#include <vector>

namespace vr31k {

// The cgroup v2 mount ("/sys/fs/cgroup", or "/sys/fs/cgroup/unified" on a hybrid
// machine); "" when there is none.
std::string CgroupV2Root(const std::string& mountsFile = "/proc/self/mounts");

struct CgroupFolder {
    uint64_t id = 0;
    std::string path;  // below the root: "/system.slice/foo.service"
    int level = 0;     // 1 for a folder in the root
};

// Every folder of the tree under `root` (links not followed), at most `max` of them.
std::vector<CgroupFolder> ListCgroups(const std::string& root, size_t max = 20000);
// The names (comm) of the processes in the folder `path` below `root`, at most `max`.
std::vector<std::string> CgroupProcessNames(const std::string& root, const std::string& path,
                                            const std::string& procRoot = "/proc", size_t max = 64);

// inotify on every folder of the tree: readable when a folder was made anywhere in it.
class CgroupWatch {
public:
    explicit CgroupWatch(std::string root);
    ~CgroupWatch();
    CgroupWatch(const CgroupWatch&) = delete;
    CgroupWatch& operator=(const CgroupWatch&) = delete;
    int Fd() const { return m_fd; }
    // Reads what happened and lists the tree again, watching its new folders too.
    std::vector<CgroupFolder> Changed();

private:
    std::string m_root;
    int m_fd = -1;
};

}  // namespace vr31k
