#include "platform/InstanceLock.h"

#include "platform/RuntimeFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

namespace {
int OpenLockFile(const std::string& path) {
    // 0666: every local user must be able to take the lock and record itself.
    const mode_t oldMask = umask(0);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    umask(oldMask);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    // Something else planted at the name (a pipe, a device) is no lock of ours.
    struct stat st {};
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        fd = -1;
    }
    return fd;
}
}  // namespace

InstanceLock::InstanceLock(std::string lockDir)
    : m_dir(std::move(lockDir)),
      m_lockPath(m_dir + "/vr31k-utility.lock"),
      m_startupPath(m_dir + "/vr31k-utility.starting.lock") {}

InstanceLock::~InstanceLock() { Close(); }

std::string InstanceLock::SocketPathFor(uid_t uid) const {
    return m_dir + "/vr31k-utility-" + std::to_string(uid) + ".sock";
}

// The socket is this user's own state: beside the locks when their folder is the user's
// own and closed to others (a private set-up, the tests), else in the user's runtime
// folder, where no other user can squat its name; the shared lock folder only when
// there is no runtime folder to trust (the peer's uid is checked on both ends anyway).
std::string InstanceLock::OwnSocketPath() const {
    struct stat st {};
    const bool ownFolder = lstat(m_dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
                           (st.st_mode & 077) == 0;
    if (!ownFolder) {
        const RuntimeFolder runtime = UserRuntimeFolder();
        if (!runtime.path.empty()) return runtime.path + "/vr31k-utility.sock";
    }
    return SocketPathFor(getuid());
}

namespace {
// "pid uid" of the holder, written into a lock file it holds, for people to read.
void RecordHolder(int fd) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%ld %ld\n", static_cast<long>(getpid()),
                                static_cast<long>(getuid()));
    if (ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t w = pwrite(fd, text, static_cast<size_t>(n), 0);
    }
}

bool ReadHolder(int fd, long& pid, long& uid) {
    char text[64] = {};
    const ssize_t n = pread(fd, text, sizeof text - 1, 0);
    return n > 0 && std::sscanf(text, "%ld %ld", &pid, &uid) == 2;
}

// The process holding an flock on the open file `fd`, as the kernel tells it in
// /proc/locks, with the owner of its /proc entry: the lock files are open to every
// user, so what is written in them proves nothing.
bool VerifiedHolder(int fd, long& pid, long& uid) {
    struct stat file {};
    FILE* locks = std::fopen("/proc/locks", "re");
    if (fstat(fd, &file) != 0 || locks == nullptr) {
        if (locks != nullptr) std::fclose(locks);
        return false;
    }
    char line[256];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, locks) != nullptr) {
        char kind[16] = {}, arrow[4] = {};
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        long holder = 0;
        // "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF"; a waiter's line has "->".
        if (std::sscanf(line, "%*d: %3s", arrow) == 1 && std::string_view(arrow) == "->") continue;
        if (std::sscanf(line, "%*d: %15s %*s %*s %ld %x:%x:%llu", kind, &holder, &major, &minor, &inode) != 5) continue;
        found = std::string_view(kind) == "FLOCK" && major == ::major(file.st_dev) && minor == ::minor(file.st_dev) &&
                inode == file.st_ino;
        if (found) pid = holder;
    }
    std::fclose(locks);
    struct stat proc {};
    if (!found || stat(("/proc/" + std::to_string(pid)).c_str(), &proc) != 0) return false;
    uid = static_cast<long>(proc.st_uid);
    return true;
}
}  // namespace

bool InstanceLock::TryInstanceLock() {
    if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) return false;
    RecordHolder(m_fd);
    return true;
}

InstanceLockResult InstanceLock::Holder() const {
    long pid = 0;
    long uid = -1;
    if (!ReadHolder(m_fd, pid, uid)) return InstanceLockResult::RunningOtherUser;
    return uid == static_cast<long>(getuid()) ? InstanceLockResult::RunningSameUser
                                              : InstanceLockResult::RunningOtherUser;
}

InstanceLockResult InstanceLock::Acquire(std::chrono::milliseconds startupWait) {
    Close();
    m_startupHolder.clear();
    m_startupFd = OpenLockFile(m_startupPath);
    m_fd = OpenLockFile(m_lockPath);
    if (m_startupFd < 0 || m_fd < 0) {
        Close();
        return InstanceLockResult::Failed;
    }
    // Wait while another process is starting up (it holds the start-up lock until its
    // window exists).
    const auto deadline = std::chrono::steady_clock::now() + startupWait;
    while (flock(m_startupFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            Close();
            return InstanceLockResult::Failed;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            long pid = 0, uid = -1;
            m_startupHolder = VerifiedHolder(m_startupFd, pid, uid)
                                  ? "process " + std::to_string(pid) + " of user " + std::to_string(uid)
                                  : "an unknown process";
            Close();
            return InstanceLockResult::TimedOut;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    RecordHolder(m_startupFd);
    if (TryInstanceLock()) return InstanceLockResult::First;
    const InstanceLockResult holder = Holder();
    Close();
    return holder;
}

void InstanceLock::FinishStartup() {
    if (m_startupFd >= 0) close(m_startupFd);
    m_startupFd = -1;
}

void InstanceLock::Close() {
    FinishStartup();
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

}  // namespace vr31k
