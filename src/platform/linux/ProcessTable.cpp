#include "platform/linux/ProcessTable.h"

#include "common/FileSystem.h"

#include <dirent.h>
#include <limits.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vr31k {

namespace {

std::vector<int> Pids(const std::string& procRoot) {
    std::vector<int> pids;
    DIR* dir = opendir(procRoot.c_str());
    if (dir == nullptr) return pids;
    while (const dirent* entry = readdir(dir)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid > 0 && end != nullptr && *end == '\0') pids.push_back(static_cast<int>(pid));
    }
    closedir(dir);
    return pids;
}

// The pseudo-terminal a master descriptor serves (fdinfo's "tty-index:"), -1 when none.
long MasterIndex(const std::string& processDir, const char* fd) {
    std::string info;
    if (!ReadWholeFile(processDir + "/fdinfo/" + fd, 4096, info)) return -1;
    const size_t at = info.find("tty-index:");
    return at == std::string::npos ? -1 : std::strtol(info.c_str() + at + 10, nullptr, 10);
}

// 1 the process has `path` open, 0 not (or it serves the pseudo-terminal `path` from
// its master side: the line's other end, not a rival), -1 its descriptors cannot be read.
int Holds(const std::string& processDir, const std::string& path) {
    const std::string fdDir = processDir + "/fd";
    DIR* dir = opendir(fdDir.c_str());
    // A process that ended since the folder was listed holds nothing.
    if (dir == nullptr) return errno == ENOENT ? 0 : -1;
    const std::string pts = "/dev/pts/";
    const long ptsIndex = path.rfind(pts, 0) == 0 ? std::strtol(path.c_str() + pts.size(), nullptr, 10) : -1;
    bool holds = false, serves = false;
    while (const dirent* entry = readdir(dir)) {
        char target[PATH_MAX];
        const ssize_t n = readlink((fdDir + "/" + entry->d_name).c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        const std::string_view link(target, static_cast<size_t>(n));
        if (link == path) holds = true;
        if (ptsIndex >= 0 && link.ends_with("ptmx") && MasterIndex(processDir, entry->d_name) == ptsIndex) {
            serves = true;
        }
    }
    closedir(dir);
    return holds && !serves ? 1 : 0;
}

}  // namespace

std::optional<ProcessEntry> ProcessOf(const std::string& procRoot, int pid) {
    const std::string dir = procRoot + "/" + std::to_string(pid);
    std::string comm, status;
    if (!ReadWholeFile(dir + "/comm", 256, comm) && !FolderExists(dir)) return std::nullopt;
    ProcessEntry entry;
    entry.pid = pid;
    entry.name = comm.substr(0, comm.find('\n'));
    if (ReadWholeFile(dir + "/status", 1 << 16, status)) {
        const size_t at = status.find("\nUid:");
        if (at != std::string::npos) entry.uid = std::strtol(status.c_str() + at + 5, nullptr, 10);
    }
    return entry;
}

ProcessScan ProcessesHoldingFile(const std::string& procRoot, const std::string& path, int self) {
    ProcessScan scan;
    for (int pid : Pids(procRoot)) {
        if (pid == self) continue;
        const int holds = Holds(procRoot + "/" + std::to_string(pid), path);
        if (holds < 0) scan.complete = false;
        if (holds <= 0) continue;
        if (auto entry = ProcessOf(procRoot, pid)) scan.found.push_back(std::move(*entry));
    }
    return scan;
}

int ProcessHoldsFile(const std::string& procRoot, int pid, const std::string& path) {
    return Holds(procRoot + "/" + std::to_string(pid), path);
}

std::vector<ProcessEntry> ProcessesNamed(const std::string& procRoot, std::string_view name) {
    std::vector<ProcessEntry> found;
    for (int pid : Pids(procRoot)) {
        auto entry = ProcessOf(procRoot, pid);
        if (entry && entry->name == name) found.push_back(std::move(*entry));
    }
    return found;
}

std::string UserNameOf(long uid) {
    if (uid < 0) return "?";
    char buffer[16384];
    struct passwd pw {};
    struct passwd* found = nullptr;
    if (getpwuid_r(static_cast<uid_t>(uid), &pw, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
        return pw.pw_name;
    }
    return std::to_string(uid);
}

}  // namespace vr31k
