#include "cli/ConnectionStatus.h"

#include "common/AtomicFileWriter.h"
#include "common/FileSystem.h"
#include "platform/RuntimeFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vr31k::cli {

namespace {

// FNV-1a of the folder's resolved path: one status per data folder.
std::string FolderKey(const std::string& folder) {
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : CanonicalPath(folder)) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace

ConnectionStatus::ConnectionStatus(const std::string& dataFolder) {
    const RuntimeFolder runtime = UserRuntimeFolder();
    if (runtime.path.empty()) {
        m_problem = "no private runtime folder for the connection's status (" + runtime.reason + ")";
        return;
    }
    const std::string base = runtime.path + "/vr31kctl-" + FolderKey(dataFolder);
    m_lockPath = base + ".lock";
    m_figuresPath = base + ".json";
}

ConnectionStatus::~ConnectionStatus() {
    if (m_lockFd < 0) return;
    // The lock file stays: removing it would let a new connect lock a new file while a
    // `status` still looks at the old one.
    unlink(m_figuresPath.c_str());
    close(m_lockFd);
}

bool ConnectionStatus::Hold(std::string& why) {
    if (!m_problem.empty()) {
        why = m_problem;
        return false;
    }
    m_lockFd = OpenRegularFile(m_lockPath, O_RDWR | O_CREAT, 0600);
    if (m_lockFd < 0) {
        why = "cannot open " + m_lockPath + ": " + FileErrorText(errno);
        return false;
    }
    if (flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        close(m_lockFd);
        m_lockFd = -1;
        long pid = 0;
        std::string json, text;
        why = "another vr31kctl connect of this data folder runs";
        if (Read(pid, json, text)) why += " (process " + std::to_string(pid) + ")";
        return false;
    }
    return true;
}

bool ConnectionStatus::Write(const std::string& content) const {
    return m_lockFd >= 0 && WriteFileAtomically(m_figuresPath, content, 0600) == 0;
}

bool ConnectionStatus::Running() const {
    if (!m_problem.empty()) return false;
    const int fd = OpenRegularFile(m_lockPath, O_RDONLY);
    if (fd < 0) return false;
    const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return held;
}

bool ConnectionStatus::Read(long& pid, std::string& json, std::string& text) const {
    std::string file;
    if (!m_problem.empty() || !ReadWholeFile(m_figuresPath, 1 << 16, file)) return false;
    const auto eol = file.find('\n');
    json = file.substr(0, eol);
    text = eol == std::string::npos ? std::string() : file.substr(eol + 1);
    const auto at = json.find("\"pid\": ");
    if (at == std::string::npos) return false;
    pid = std::strtol(json.c_str() + at + 7, nullptr, 10);
    return pid > 0;
}

}  // namespace vr31k::cli
