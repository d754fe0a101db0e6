#include "platform/linux/ProcessTable.h"

#include "common/FileSystem.h"

#include <dirent.h>
#include <limits.h>
#include <pwd.h>
#include <unistd.h>

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

// 1 the process has `path` open, 0 not, -1 its descriptors cannot be read.
int Holds(const std::string& fdDir, const std::string& path) {
    DIR* dir = opendir(fdDir.c_str());
    if (dir == nullptr) return -1;
    int holds = 0;
    while (const dirent* entry = readdir(dir)) {
        char target[PATH_MAX];
        const ssize_t n = readlink((fdDir + "/" + entry->d_name).c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        if (std::string_view(target, static_cast<size_t>(n)) == path) {
            holds = 1;
            break;
        }
    }
    closedir(dir);
    return holds;
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
        const int holds = Holds(procRoot + "/" + std::to_string(pid) + "/fd", path);
        if (holds < 0) scan.complete = false;
        if (holds <= 0) continue;
        if (auto entry = ProcessOf(procRoot, pid)) scan.found.push_back(std::move(*entry));
    }
    return scan;
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
