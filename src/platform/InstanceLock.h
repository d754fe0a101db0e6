#pragma once
// One running instance per machine, across all users. Two lock files in a machine-wide
// folder, held with flock():
//  - the instance lock, held by the running instance for its whole life; the holder
//    writes "pid uid" into it so a second start can tell whose instance it is;
//  - the start-up lock, held by a process from its start until its window exists (or
//    it gives up), so a second start waits for the first one's window; the holder
//    writes "pid uid" into it too, so a start that gives up can say who held it.
// The kernel drops both when a holder dies: a crashed instance never blocks a start.
#include <chrono>
#include <string>
#include <sys/types.h>

namespace vr31k {

inline constexpr const char* kLockDirVariable = "VR31K_LOCK_DIR";

// VR31K_LOCK_DIR when set, else /run/lock, else /tmp.
std::string DefaultLockDir();

enum class InstanceLockResult {
    First,             // this process is the instance; both locks are held
    RunningSameUser,   // an instance of this user runs and has finished starting
    RunningOtherUser,  // an instance of another user runs (or its user is unknown)
    TimedOut,          // the running instance did not finish starting in time
    Failed,            // the lock file could not be opened
};

class InstanceLock {
public:
    explicit InstanceLock(std::string lockDir);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    InstanceLockResult Acquire(std::chrono::milliseconds startupWait);
    // Called once the main window exists: later starts stop waiting.
    void FinishStartup();
    void Close();

    const std::string& LockPath() const { return m_lockPath; }
    const std::string& StartupLockPath() const { return m_startupPath; }
    // After TimedOut: who held the start-up lock ("process P of user U").
    const std::string& StartupHolder() const { return m_startupHolder; }
    // The socket the running instance of `uid` listens on for restore requests, in this
    // lock folder.
    std::string SocketPathFor(uid_t uid) const;
    // Where this user's instance listens: in the user's runtime folder unless the lock
    // folder is the user's own.
    std::string OwnSocketPath() const;

private:
    bool TryInstanceLock();
    InstanceLockResult Holder() const;
    std::string m_dir;
    std::string m_lockPath;
    std::string m_startupPath;
    std::string m_startupHolder;
    int m_fd = -1;
    int m_startupFd = -1;
};

}  // namespace vr31k
