#include "cli/CliEventLoop.h"

#include <algorithm>

namespace vr31k::cli {

namespace {
constexpr auto kLookAgain = std::chrono::milliseconds(100);
}

void CliEventLoop::Post(std::function<void()> task) {
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_posted.notify_one();
}

void CliEventLoop::StartTimer(int id, int intervalMs) {
    const auto interval = std::chrono::milliseconds(intervalMs);
    m_timers[id] = {interval, Clock::now() + interval};
}

bool CliEventLoop::FireDueTimer() {
    const auto now = Clock::now();
    for (auto& [id, timer] : m_timers) {
        if (timer.due > now) continue;
        // A loop held up for longer than a period fires once, not once per missed period.
        timer.due = std::max(timer.due + timer.interval, now);
        const int fired = id;
        if (m_onTimer) m_onTimer(fired);
        return true;
    }
    return false;
}

bool CliEventLoop::RunUntil(const std::function<bool()>& done, Clock::time_point deadline) {
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        if (FireDueTimer()) continue;
        auto wake = std::min(deadline, Clock::now() + kLookAgain);
        for (const auto& [id, timer] : m_timers) wake = std::min(wake, timer.due);
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            if (m_posted.wait_until(lock, wake, [&] { return !m_tasks.empty(); })) {
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
        }
        if (task) task();
    }
    return true;
}

void CliEventLoop::RunPosted() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(m_mutex);
            if (m_tasks.empty()) return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

}  // namespace vr31k::cli
