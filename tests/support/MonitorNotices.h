#pragma once
// The dial-up monitor's notices as a test receives them, with waiting for the next one
// of a kind.
#include "dialup/CWRasCtrl.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace vr31k::test {

class CNotices {
public:
    CWRasCtrl::NoticeCallback Callback() {
        return [this](int notice) {
            std::lock_guard lock(m_mutex);
            m_notices.push_back(notice);
            m_cv.notify_all();
        };
    }
    // Waits for a notice of that kind after the last one waited for.
    bool WaitFor(int notice, std::chrono::milliseconds timeout = std::chrono::seconds(3)) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, timeout, [&] {
            for (size_t i = m_seen; i < m_notices.size(); ++i) {
                if (m_notices[i] == notice) {
                    m_seen = i + 1;
                    return true;
                }
            }
            return false;
        });
    }
    size_t Count() {
        std::lock_guard lock(m_mutex);
        return m_notices.size();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<int> m_notices;
    size_t m_seen = 0;
};

}  // namespace vr31k::test
