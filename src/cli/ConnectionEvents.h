#pragma once
// Hands the dial-up service's progress and the monitor's notices (which arrive on
// their own threads) to the command's thread, in order.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace vr31k::cli {

struct ConnectionEvent {
    enum class Kind { DialProgress, Notice };
    Kind kind = Kind::Notice;
    uint32_t state = 0;  // DialProgress: the dial state reached
    int error = 0;       // DialProgress: non-zero ends the dial
    int notice = 0;      // Notice: connected, disconnected, hung up
};

class ConnectionEvents {
public:
    void Push(const ConnectionEvent& event) {
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back(event);
        }
        m_ready.notify_one();
    }
    // The next event, or nothing when `timeout` passes first.
    std::optional<ConnectionEvent> Wait(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        if (!m_ready.wait_for(lock, timeout, [&] { return !m_events.empty(); })) return std::nullopt;
        ConnectionEvent event = m_events.front();
        m_events.pop_front();
        return event;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<ConnectionEvent> m_events;
};

}  // namespace vr31k::cli
