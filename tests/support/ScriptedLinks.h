#pragma once
// Connections on the card's modem that come and go when the test says so, as another
// dialler would make them: the monitor sees them through the service's watch. The
// phonebook calls go to the real service.
#include "support/ForwardingService.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace vr31k::test {

class CScriptedLinks : public CForwardingService {
public:
    using CForwardingService::CForwardingService;

    // A connection of another dialler comes up on the card's modem.
    void Up(ConnHandle handle, const std::string& interfaceName) {
        ConnectionInfo c;
        c.handle = handle;
        c.deviceType = "modem";
        c.deviceName = "KORVANE VR31K Modem";
        c.interfaceName = interfaceName;
        c.state = dialstate::kConnected;
        std::lock_guard lock(m_shared->mutex);
        m_shared->links.push_back(c);
        m_shared->changed = true;
        m_shared->cv.notify_all();
    }
    bool IsUp(ConnHandle handle) {
        std::lock_guard lock(m_shared->mutex);
        return std::any_of(m_shared->links.begin(), m_shared->links.end(),
                           [&](const ConnectionInfo& c) { return c.handle == handle; });
    }
    // The line drops.
    void Down(ConnHandle handle) {
        std::lock_guard lock(m_shared->mutex);
        std::erase_if(m_shared->links, [&](const ConnectionInfo& c) { return c.handle == handle; });
        m_shared->changed = true;
        m_shared->cv.notify_all();
    }

    int EnumConnections(std::vector<ConnectionInfo>& out) override {
        std::lock_guard lock(m_shared->mutex);
        out = m_shared->links;
        return 0;
    }
    int GetConnectStatus(ConnHandle handle, uint32_t& state, int& error) override {
        error = 0;
        if (!IsUp(handle)) return dialerr::kInvalidHandle;
        state = dialstate::kConnected;
        return 0;
    }
    int GetConnectionStatistics(ConnHandle handle, ConnectionStats& out) override {
        if (!IsUp(handle)) return dialerr::kInvalidHandle;
        out = ConnectionStats{1000, 2000, 1000, 64};
        return 0;
    }
    int HangUp(ConnHandle handle) override {
        Down(handle);
        return 0;
    }
    std::unique_ptr<IConnectionWatch> Watch() override { return std::make_unique<CWatch>(m_shared); }

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable cv;
        std::vector<ConnectionInfo> links;
        bool changed = false;
        unsigned wakeBits = 0;
    };
    class CWatch final : public IConnectionWatch {
    public:
        explicit CWatch(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}
        Result Wait(int timeoutMs) override {
            std::unique_lock lock(m_shared->mutex);
            const auto ready = [&] { return m_shared->changed || m_shared->wakeBits != 0; };
            if (timeoutMs < 0) m_shared->cv.wait(lock, ready);
            else m_shared->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
            Result result{m_shared->changed, m_shared->wakeBits};
            m_shared->changed = false;
            m_shared->wakeBits = 0;
            return result;
        }
        void Wake(unsigned bits) override {
            std::lock_guard lock(m_shared->mutex);
            m_shared->wakeBits |= bits;
            m_shared->cv.notify_all();
        }

    private:
        std::shared_ptr<Shared> m_shared;
    };

    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

}  // namespace vr31k::test
