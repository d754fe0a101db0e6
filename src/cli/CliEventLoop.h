#pragma once
// The command line's stand-in for the window's message loop: tasks posted from any
// thread (the monitor's notices, the dial's progress, posted commands) and the
// window's timers run on the command's thread while it waits. Loops may nest, as the
// window's modal dialogs nest theirs.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace vr31k::cli {

class CliEventLoop {
public:
    using Clock = std::chrono::steady_clock;

    // Callable from any thread.
    void Post(std::function<void()> task);
    // Timers fire `onTimer(id)` every `intervalMs` until stopped; command's thread only.
    void SetTimerHandler(std::function<void(int id)> onTimer) { m_onTimer = std::move(onTimer); }
    void StartTimer(int id, int intervalMs);
    void StopTimer(int id) { m_timers.erase(id); }

    // Runs tasks and timers until `done` holds or `deadline` passes; returns `done()`.
    // `done` is looked at least every 100 ms, so a flag set by a signal is seen.
    bool RunUntil(const std::function<bool()>& done, Clock::time_point deadline = Clock::time_point::max());
    // Runs the tasks posted so far, without waiting.
    void RunPosted();

private:
    struct Timer {
        Clock::duration interval;
        Clock::time_point due;
    };
    // Fires the first timer that is due; false when none is.
    bool FireDueTimer();

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_tasks;
    std::map<int, Timer> m_timers;
    std::function<void(int)> m_onTimer;
};

}  // namespace vr31k::cli
