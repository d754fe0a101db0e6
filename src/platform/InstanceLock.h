#pragma once
// One running instance per machine, across all users. A lock file in a machine-wide
// folder is held with flock(): exclusively while the instance starts up, shared once
// its window exists. The kernel drops the lock when a holder dies, so a crashed
// instance never blocks the next start. The holder writes "pid uid" into the file so
// that a second start can tell whether the running instance is its own user's.
#include <chrono>
#include <string>
#include <sys/types.h>

namespace vr31k {

inline constexpr const char* kLockDirVariable = "VR31K_LOCK_DIR";

// VR31K_LOCK_DIR when set, else /run/lock, else /tmp.
std::string DefaultLockDir();

enum class InstanceLockResult {
    First,             // this process is the instance; the lock is held exclusively
    RunningSameUser,   // an instance of this user runs and has finished starting
    RunningOtherUser,  // an instance of another user runs (or its user is unknown)
    TimedOut,          // the running instance did not finish starting in time
    Failed,            // the lock file could not be opened
};

class CInstanceLock {
public:
    explicit CInstanceLock(std::string lockDir);
    ~CInstanceLock();
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    InstanceLockResult Acquire(std::chrono::milliseconds startupWait);
    // Called once the main window exists: later starts stop waiting.
    void FinishStartup();
    void Close();

    const std::string& LockPath() const { return m_lockPath; }
    // The socket the running instance of `uid` listens on for restore requests.
    std::string SocketPathFor(uid_t uid) const;
    std::string OwnSocketPath() const;

private:
    bool TryExclusive();
    InstanceLockResult Holder() const;
    std::string m_dir;
    std::string m_lockPath;
    int m_fd = -1;
};

}  // namespace vr31k
