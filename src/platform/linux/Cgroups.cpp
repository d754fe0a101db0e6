#include "platform/linux/Cgroups.h"

#include "common/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <sstream>

namespace vr31k {

namespace {

void Walk(int dirFd, const std::string& path, int level, size_t max, std::vector<CgroupFolder>& out) {
    DIR* dir = fdopendir(dirFd);
    if (dir == nullptr) {
        close(dirFd);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_type != DT_DIR || entry->d_name[0] == '.' || out.size() >= max) continue;
        const int child = openat(dirfd(dir), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        struct stat st {};
        if (child < 0) continue;
        if (fstat(child, &st) != 0) {
            close(child);
            continue;
        }
        const std::string childPath = path + "/" + entry->d_name;
        out.push_back({static_cast<uint64_t>(st.st_ino), childPath, level});
        Walk(child, childPath, level + 1, max, out);
    }
    closedir(dir);
}

}  // namespace

std::string CgroupV2Root(const std::string& mountsFile) {
    std::string text;
    if (!ReadWholeFile(mountsFile, 1 << 20, text)) return {};
    std::istringstream lines(text);
    std::string device, mountPoint, type, rest, found;
    while (lines >> device >> mountPoint >> type && std::getline(lines, rest)) {
        // The last mount wins (it hides one made before at or above it); a mount point
        // with a space is written "\040": not one of the usual places.
        struct statfs fs {};
        if (type == "cgroup2" && mountPoint.find('\\') == std::string::npos && statfs(mountPoint.c_str(), &fs) == 0 &&
            fs.f_type == CGROUP2_SUPER_MAGIC) {
            found = mountPoint;
        }
    }
    return found;
}

std::vector<CgroupFolder> ListCgroups(const std::string& root, size_t max) {
    std::vector<CgroupFolder> out;
    const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) Walk(fd, "", 1, max, out);
    return out;
}

std::vector<std::string> CgroupProcessNames(const std::string& root, const std::string& path,
                                            const std::string& procRoot, size_t max) {
    std::vector<std::string> names;
    std::string pids;
    if (ReadRegularFile(root + path + "/cgroup.procs", 64 * 1024, pids) != ReadResult::Ok) return names;
    std::istringstream list(pids);
    long pid = 0;
    while (names.size() < max && list >> pid) {
        std::string comm;
        if (pid > 0 && ReadWholeFile(procRoot + "/" + std::to_string(pid) + "/comm", 64, comm) && !comm.empty()) {
            if (comm.back() == '\n') comm.pop_back();
            names.push_back(comm);
        }
    }
    return names;
}

CgroupWatch::CgroupWatch(std::string root) : m_root(std::move(root)), m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

CgroupWatch::~CgroupWatch() {
    if (m_fd >= 0) close(m_fd);
}

std::vector<CgroupFolder> CgroupWatch::Changed() {
    alignas(inotify_event) char buffer[4096];
    while (m_fd >= 0 && read(m_fd, buffer, sizeof buffer) > 0) {
    }
    std::vector<CgroupFolder> folders = ListCgroups(m_root);
    // Watching the same folder again only renews its watch.
    if (m_fd >= 0) inotify_add_watch(m_fd, m_root.c_str(), IN_CREATE | IN_ONLYDIR);
    for (const CgroupFolder& folder : folders) {
        if (m_fd >= 0) inotify_add_watch(m_fd, (m_root + folder.path).c_str(), IN_CREATE | IN_ONLYDIR | IN_DONT_FOLLOW);
    }
    return folders;
}

}  // namespace vr31k
