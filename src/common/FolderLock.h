#pragma once
// The data folder's lock: an flock on the folder itself, held by whoever reads a shared
// file to change it, from the read to the rename, so that two programs changing
// different keys or entries both land. Re-entrant within a process (an entry change
// holds it while the phonebook's own operations take it again), exclusive between
// threads and processes, and every wait is bounded: a lock another program keeps is
// reported, not waited on for ever.
#include <cerrno>
#include <chrono>
#include <string>
#include <sys/types.h>

namespace vr31k {

class FolderLock {
public:
    static constexpr std::chrono::milliseconds kDefaultWait{5000};
    // kDefaultWait at the process's share of its waits (common/WaitShare.h).
    static std::chrono::milliseconds DefaultWait();

    explicit FolderLock(const std::string& folder, std::chrono::milliseconds wait = DefaultWait());
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // False when the wait ran out (Problem() says so) or the folder cannot be opened
    // (a missing folder: nothing to lock, nothing to protect; Problem() is empty).
    bool Held() const { return m_held; }
    // A wait that ran out.
    bool TimedOut() const { return !m_problem.empty(); }
    const std::string& Problem() const { return m_problem; }

    // The last wait that ran out in this thread (empty when none since the last Clear),
    // for a command to tell after a failure that a lock caused.
    static const std::string& LastProblem();
    static void ClearLastProblem();

private:
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_held = false;
    std::string m_problem;
};

// errno of a change that was not made because the folder's lock stayed taken
// (FileErrorText says so).
inline constexpr int kFolderLockTimedOut = ENOLCK;

}  // namespace vr31k
