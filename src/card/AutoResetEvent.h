#pragma once
// An auto-reset event: Set() wakes one waiter, and the wait consumes the signal.
// Shared between the channel's reader thread (Set) and the command thread (Wait).
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vr31k {

class AutoResetEvent {
public:
    void Set() {
        {
            std::lock_guard lock(m_mutex);
            m_signalled = true;
        }
        m_cv.notify_one();
    }
    void Reset() {
        std::lock_guard lock(m_mutex);
        m_signalled = false;
    }
    // True when signalled before `deadline`; the signal is consumed.
    bool WaitUntil(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(m_mutex);
        if (!m_cv.wait_until(lock, deadline, [this] { return m_signalled; })) return false;
        m_signalled = false;
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled = false;
};

}  // namespace vr31k
