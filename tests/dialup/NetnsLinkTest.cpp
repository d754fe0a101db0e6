// Links on real TUN interfaces in a private network namespace: the service's view of
// connections and counters, the controller's monitor notices, the simulated link, and
// hang-up bounds.
#include "support/DialHarness.h"
#include "support/MonitorNotices.h"
#include "support/PrivateNetns.h"
#include "dialup/CWRasCtrl.h"
#include "simlink/TunDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace vr31k {
namespace {

using namespace std::chrono_literals;

// A process that looks like another dialler working on `port` ("": it names no tty in
// its arguments). posix_spawn returns once the program runs: its arguments are there to
// be read at once.
class CHolder {
public:
    explicit CHolder(std::string port) {
        std::string shell = "/bin/sh", c = "-c", script = "sleep 60; :", name = "sh";
        char* argv[] = {shell.data(), c.data(), script.data(), name.data(), port.empty() ? nullptr : port.data(), nullptr};
        posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv, environ);
    }
    ~CHolder() {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    int Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

using test::CNotices;

struct OutsideWorld {
    OutsideWorld() {
        LinuxDialupConfig config;
        config.runDir = dir.Path();
        config.lockDir = dir.Path();
        config.hangUpTermWaitMs = 300;
        config.hangUpKillWaitMs = 300;
        config.hangUpLinkWaitMs = 300;
        service = CreateLinuxDialupService(config);
        service->RegisterDevice({"modem", test::kCardModem, "/dev/ttyCARD"});
    }
    // A link named `name` made by a dialler whose process is `pid` (0: none known).
    std::unique_ptr<sim::TunDevice> Link(const std::string& name, int pid) {
        auto tun = std::make_unique<sim::TunDevice>();
        EXPECT_TRUE(tun->Create(name)) << std::strerror(errno);
        if (pid > 0) test::WriteFile(dir.File(name + ".pid"), std::to_string(pid) + "\n");
        EXPECT_TRUE(tun->Configure("10.7.0.1", "10.7.0." + std::to_string(2 + name.back() - '0')));
        return tun;
    }
    test::TempDir dir;
    std::unique_ptr<IDialupService> service;
};

TEST(NetnsLink, ServiceSeesOutsideLinksCountsTrafficAndLosesThem) {
    VR31K_IN_PRIVATE_NETNS();
    OutsideWorld w;
    auto watch = w.service->Watch();
    CHolder card("/dev/ttyCARD");
    // The dialler had been up a while when its link is found: the link is as old as it.
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    auto tun = w.Link("ppp0", card.Pid());
    EXPECT_TRUE(watch->Wait(10000).linksChanged);

    std::vector<ConnectionInfo> connections;
    ASSERT_EQ(w.service->EnumConnections(connections), 0);
    ASSERT_EQ(connections.size(), 1u);
    const ConnectionInfo c = connections.front();
    EXPECT_EQ(c.interfaceName, "ppp0");
    EXPECT_EQ(c.deviceName, test::kCardModem);
    EXPECT_EQ(c.port, "/dev/ttyCARD");
    EXPECT_EQ(c.handle, static_cast<ConnHandle>(card.Pid()));
    EXPECT_EQ(c.state, dialstate::kConnected);

    ConnectionStats before, after;
    ASSERT_EQ(w.service->GetConnectionStatistics(c.handle, before), 0);
    EXPECT_GE(before.durationMs, 1000u) << "counted from the dialler's start, not from when it was seen";
    tun->Receive(20000);
    tun->Send(10000);
    ASSERT_EQ(w.service->GetConnectionStatistics(c.handle, after), 0);
    EXPECT_GE(after.bytesReceived - before.bytesReceived, 20000u);
    EXPECT_GE(after.bytesSent - before.bytesSent, 10000u);
    EXPECT_EQ(after.counterBits, 64u);

    tun->Close();
    EXPECT_TRUE(watch->Wait(10000).linksChanged);
    w.service->EnumConnections(connections);
    EXPECT_TRUE(connections.empty());
    uint32_t state;
    int error;
    EXPECT_EQ(w.service->GetConnectStatus(c.handle, state, error), dialerr::kInvalidHandle);
    EXPECT_EQ(w.service->GetConnectionStatistics(c.handle, after), dialerr::kInvalidHandle);
}

// A dialler whose tty is known only from its lock file still has the card; a dialler on
// another device, or a link whose dialler is unknown, carries no card name.
TEST(NetnsLink, ALinkCarriesTheCardsNameOnlyWhenItsDiallerHasTheCard) {
    VR31K_IN_PRIVATE_NETNS();
    OutsideWorld w;
    CHolder dialler(""), other("/dev/ttyOTHER");
    test::WriteFile(w.dir.File("LCK..ttyCARD"), "      " + std::to_string(dialler.Pid()) + "\n");
    auto card = w.Link("ppp0", dialler.Pid());
    auto a = w.Link("ppp1", other.Pid());
    auto b = w.Link("ppp2", 0);
    std::vector<ConnectionInfo> connections;
    w.service->EnumConnections(connections);
    ASSERT_EQ(connections.size(), 3u);
    EXPECT_EQ(connections[0].port, "/dev/ttyCARD");
    EXPECT_EQ(connections[0].deviceName, test::kCardModem);
    for (const ConnectionInfo& c : {connections[1], connections[2]}) {
        EXPECT_EQ(c.deviceName, "") << c.interfaceName;
        EXPECT_NE(c.handle, 0u);
    }
    ASSERT_EQ(connections[2].interfaceName, "ppp2");
    EXPECT_EQ(w.service->HangUp(connections[2].handle), dialerr::kAccessDenied) << "no process to end";
    EXPECT_EQ(w.service->HangUp(connections[1].handle), dialerr::kRequestTimeout)
        << "its dialler ends, but the interface (held here) stays";
}

TEST(NetnsLink, MonitorAdoptsReportsAndIgnoresOtherDevicesWithoutTheFlag) {
    VR31K_IN_PRIVATE_NETNS();
    OutsideWorld w;
    CHolder card("/dev/ttyCARD");
    auto up = w.Link("ppp0", card.Pid());  // already up when the monitor starts

    CWRasCtrl ctrl(*w.service);
    ctrl.Setup(w.dir.File("VR31KUTL.pbk"), std::string(test::kCardModem), 0);
    CNotices notices;
    ctrl.StartMonitor(notices.Callback());
    ASSERT_TRUE(notices.WaitFor(RAS_NOTIFY_CONNECTED));
    EXPECT_EQ(ctrl.IsConnected(), 1) << "an adopted connection becomes the active one";
    EXPECT_EQ(ctrl.EntryName(), "ppp0");

    EXPECT_EQ(ctrl.SampleStatistics(), 0);
    up->Receive(30000);
    EXPECT_EQ(ctrl.SampleStatistics(), 0);
    EXPECT_GE(ctrl.BytesReceived(), 30000u);

    CHolder stranger("/dev/ttyOTHER");
    auto other = w.Link("ppp1", stranger.Pid());
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(notices.Count(), 1u) << "a link on another device is not ours";

    up->Close();  // the line drops
    ASSERT_TRUE(notices.WaitFor(RAS_NOTIFY_DISCONNECTED));
    EXPECT_EQ(ctrl.EndTime().status, RasEndTime::Valid);
    EXPECT_GE(ctrl.BytesReceived(), 30000u) << "totals stay for the result and the history";
    EXPECT_EQ(ctrl.SampleStatistics(), RAS_ERR_NOT_CONNECTED);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(notices.Count(), 2u) << "ppp1 is still not adopted after the loss";
    ctrl.StopMonitor();

    CWRasCtrl any(*w.service);
    any.Setup(w.dir.File("VR31KUTL.pbk"), std::string(test::kCardModem), 1);
    CNotices anyNotices;
    any.StartMonitor(anyNotices.Callback());
    EXPECT_TRUE(anyNotices.WaitFor(RAS_NOTIFY_CONNECTED)) << "with the any-device flag it counts";
    any.StopMonitor();
}

// The simulated link dialled through the controller: its progress, its traffic counted,
// and its end seen by the monitor, whether we hang up or the card drops the line (that
// dial without credentials or progress notices).
TEST(NetnsLink, SimulatedLinkDialsMovesTrafficAndEndsThroughTheMonitor) {
    VR31K_IN_PRIVATE_NETNS();
    for (const bool cardDrops : {false, true}) {
        SCOPED_TRACE(cardDrops ? "the card drops the line" : "we hang up");
        test::DialHarness h(DialLink::Simulated, cardDrops ? "CONNECT" : "CONNECT 7200000");
        CWRasCtrl ctrl(*h.service);
        ctrl.Setup(h.pbk, std::string(test::kCardModem), 0);
        CNotices notices;
        ctrl.StartMonitor(notices.Callback());
        test::CDialNotices progress;
        if (cardDrops) {
            ASSERT_EQ(ctrl.Dial("apn.example", std::nullopt, std::nullopt, std::nullopt, nullptr), 0);
        } else {
            ASSERT_EQ(ctrl.Dial("apn.example", std::string("kv"), std::string("kv"), std::nullopt, progress.Notifier()), 0)
                << h.service->LastErrorDetail();
            ASSERT_TRUE(progress.WaitForEnd());
            using namespace dialstate;
            EXPECT_EQ(progress.All(), (std::vector<std::pair<uint32_t, int>>{{kOpenPort, 0}, {kConnectDevice, 0},
                                                                             {kDeviceConnected, 0}, {kAuthenticate, 0},
                                                                             {kAuthenticated, 0}, {kConnected, 0}}));
        }
        ASSERT_TRUE(notices.WaitFor(RAS_NOTIFY_CONNECTED));
        EXPECT_NE(h.modem.Received().find("ATD*99***1#\r"), std::string::npos);
        EXPECT_EQ(ctrl.IsConnected(), 1);

        std::vector<ConnectionInfo> connections;
        h.service->EnumConnections(connections);
        ASSERT_EQ(connections.size(), 1u);
        EXPECT_EQ(connections[0].interfaceName.rfind("ppp", 0), 0u);
        ASSERT_EQ(ctrl.SampleStatistics(), 0);
        kill(connections[0].pid, SIGUSR1);  // one burst of traffic each way
        // Until the burst is counted (bounded: the machine's load decides how long it takes).
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        do {
            std::this_thread::sleep_for(50ms);
            ASSERT_EQ(ctrl.SampleStatistics(), 0);
        } while ((ctrl.BytesReceived() < 64u * 1024 || ctrl.BytesSent() < 64u * 1024) &&
                 std::chrono::steady_clock::now() < deadline);
        EXPECT_GE(ctrl.BytesReceived(), 64u * 1024);
        EXPECT_GE(ctrl.BytesSent(), 64u * 1024);

        if (cardDrops) {
            h.modem.HangUp();
        } else {
            ctrl.StampEndTime();
            ctrl.HangUp(true, true);
            ASSERT_TRUE(notices.WaitFor(RAS_NOTIFY_HUNGUP));
            EXPECT_EQ(ctrl.LastMonitorHangUpResult(), 0);
        }
        ASSERT_TRUE(notices.WaitFor(RAS_NOTIFY_DISCONNECTED));
        EXPECT_EQ(ctrl.EndTime().status, RasEndTime::Valid);
        EXPECT_EQ(ctrl.IsConnected(), 0);
        h.service->EnumConnections(connections);
        EXPECT_TRUE(connections.empty());
        ctrl.StopMonitor();
    }
}

TEST(NetnsLink, HangUpReportsALinkThatOutlivesItsDialler) {
    VR31K_IN_PRIVATE_NETNS();
    test::DialHarness h;
    setenv("FAKE_PPPD_TRANSCRIPT", (std::string(TRANSCRIPTS) + "/connect-pap.log").c_str(), 1);
    setenv("FAKE_PPPD_STAY", "1", 1);
    sim::TunDevice stuck;  // "ppp0", the interface the transcript names, held by us
    ASSERT_TRUE(stuck.Create("ppp0"));
    test::CDialNotices progress;
    ConnHandle handle = 0;
    ASSERT_EQ(h.service->Dial(h.pbk, {"apn.example", "", "u", "p"}, progress.Notifier(), handle), 0);
    ASSERT_TRUE(progress.WaitForEnd());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(h.service->HangUp(handle), dialerr::kRequestTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_NE(h.service->LastErrorDetail().find("ppp0"), std::string::npos);
    unsetenv("FAKE_PPPD_STAY");
}

}  // namespace
}  // namespace vr31k
