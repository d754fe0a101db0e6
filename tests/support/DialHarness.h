#pragma once
// A dial-up service wired to a fake pppd (or the simulated link) and a pseudo-terminal
// modem, with the dial's notices collected for the test to wait on.
#include "support/FakeModem.h"
#include "platform/DialupService.h"
#include "platform/linux/LinuxDialupService.h"
#include "support/TempDir.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <string>
#include <mutex>
#include <utility>
#include <vector>

namespace vr31k::test {

inline constexpr const char* kCardModem = "KORVANE VR31K Modem";

// What the dials asked of ModemManager, in order ("hold PORT", "release"); shared with
// the reader threads that release.
class CInhibitLog {
public:
    std::function<std::unique_ptr<IDeviceInhibit>()> Maker() {
        return [this] { return std::make_unique<Recorder>(*this); };
    }
    std::vector<std::string> Events() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

private:
    struct Recorder : IDeviceInhibit {
        explicit Recorder(CInhibitLog& to) : log(to) {}
        InhibitOutcome Hold(const std::string& path) override {
            log.Add("hold " + path);
            return last;
        }
        void Release() override { log.Add("release"); }
        const InhibitOutcome& Last() const override { return last; }
        CInhibitLog& log;
        InhibitOutcome last;
    };
    void Add(std::string event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    std::mutex m_mutex;
    std::vector<std::string> m_events;
};

class CDialNotices {
public:
    DialNotifier Notifier() {
        return [this](ConnHandle, uint32_t state, int error) {
            std::lock_guard lock(m_mutex);
            m_notices.emplace_back(state, error);
            m_cv.notify_all();
        };
    }
    // Waits until a notice with an error or the connected state arrived.
    bool WaitForEnd(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, timeout, [&] {
            for (const auto& [state, error] : m_notices) {
                if (error != 0 || state == dialstate::kConnected) return true;
            }
            return false;
        });
    }
    std::vector<std::pair<uint32_t, int>> All() {
        std::lock_guard lock(m_mutex);
        return m_notices;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<std::pair<uint32_t, int>> m_notices;
};

struct DialHarness {
    explicit DialHarness(DialLink link = DialLink::Pppd, std::string modemReply = "CONNECT", std::string errorReport = {})
        : modem(std::move(modemReply), std::move(errorReport)) {
        WriteFile(dir.File("vr31k-utility"), "noauth\n");
        LinuxDialupConfig config;
        config.link = link;
        config.pppd.pppdPath = FAKE_PPPD;
        config.simulatedLinkPath = SIMLINK;
        config.peersDir = dir.Path();
        config.privateBase = dir.Path();
        config.runDir = dir.Path();
        config.hangUpTermWaitMs = 500;
        config.hangUpKillWaitMs = 1000;
        config.hangUpLinkWaitMs = 500;
        config.makeInhibit = inhibits.Maker();
        Configure(config);
        service = CreateLinuxDialupService(config);
        service->RegisterDevice({"modem", kCardModem, modem.Port()});
        EntryProperties entry;
        entry.deviceType = "modem";
        entry.deviceName = kCardModem;
        entry.phoneNumber = "*99***1#";
        service->SetEntryProperties(pbk, "apn.example", entry);
    }
    virtual ~DialHarness() = default;
    virtual void Configure(LinuxDialupConfig&) {}

    CInhibitLog inhibits;
    TempDir dir;
    CFakeModem modem;
    std::string pbk = dir.File("VR31KUTL.pbk");
    std::unique_ptr<IDialupService> service;
};

}  // namespace vr31k::test
