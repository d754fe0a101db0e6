#include "platform/InstanceLock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vr31k {

std::string DefaultLockDir() {
    const char* env = std::getenv(kLockDirVariable);
    if (env != nullptr && *env != '\0') return env;
    struct stat st {};
    if (stat("/run/lock", &st) == 0 && S_ISDIR(st.st_mode) && access("/run/lock", W_OK | X_OK) == 0) {
        return "/run/lock";
    }
    return "/tmp";
}

CInstanceLock::CInstanceLock(std::string lockDir)
    : m_dir(std::move(lockDir)), m_lockPath(m_dir + "/vr31k-utility.lock") {}

CInstanceLock::~CInstanceLock() { Close(); }

std::string CInstanceLock::SocketPathFor(uid_t uid) const {
    return m_dir + "/vr31k-utility-" + std::to_string(uid) + ".sock";
}

std::string CInstanceLock::OwnSocketPath() const { return SocketPathFor(getuid()); }

bool CInstanceLock::TryExclusive() {
    if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) return false;
    // Record who holds the instance; other users read it to tell 103/104 apart.
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%ld %ld\n", static_cast<long>(getpid()),
                                static_cast<long>(getuid()));
    if (ftruncate(m_fd, 0) == 0) {
        [[maybe_unused]] const ssize_t w = pwrite(m_fd, text, static_cast<size_t>(n), 0);
    }
    return true;
}

InstanceLockResult CInstanceLock::Holder() const {
    char text[64] = {};
    const ssize_t n = pread(m_fd, text, sizeof text - 1, 0);
    long pid = 0;
    long uid = -1;
    if (n <= 0 || std::sscanf(text, "%ld %ld", &pid, &uid) != 2) return InstanceLockResult::RunningOtherUser;
    return uid == static_cast<long>(getuid()) ? InstanceLockResult::RunningSameUser
                                              : InstanceLockResult::RunningOtherUser;
}

InstanceLockResult CInstanceLock::Acquire(std::chrono::milliseconds startupWait) {
    Close();
    const mode_t oldMask = umask(0);
    m_fd = ::open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    umask(oldMask);
    if (m_fd < 0 && errno == EACCES) {
        m_fd = ::open(m_lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (m_fd < 0) return InstanceLockResult::Failed;

    if (TryExclusive()) return InstanceLockResult::First;

    // Someone holds the lock: wait until it has finished starting (it then holds the
    // lock shared) or has gone away.
    const auto deadline = std::chrono::steady_clock::now() + startupWait;
    for (;;) {
        if (flock(m_fd, LOCK_SH | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR) return InstanceLockResult::Failed;
        if (std::chrono::steady_clock::now() >= deadline) {
            Close();
            return InstanceLockResult::TimedOut;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // Holding it shared now. If nobody else holds it, the previous instance died:
    // continue as the first instance.
    if (TryExclusive()) return InstanceLockResult::First;
    const InstanceLockResult holder = Holder();
    Close();
    return holder;
}

void CInstanceLock::FinishStartup() {
    if (m_fd >= 0) flock(m_fd, LOCK_SH);
}

void CInstanceLock::Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

}  // namespace vr31k
