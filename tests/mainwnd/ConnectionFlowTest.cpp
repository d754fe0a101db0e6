// The window's connection flow against the card simulator and the simulated link, in a
// private network namespace: connect, tick, hang up with the result dialog and one
// history row; a lost line; Cancel while dialling; level 0; the session's end recorded
// once. The disconnecting-dialog race and the outside connection are covered on the way.
#include "CardSimulator.h"
#include "RecordingView.h"
#include "accounting/CRasChargeCtrl.h"
#include "accounting/EntryCredentialStore.h"
#include "common/StringIds.h"
#include "mainwnd/ConnectionControl.h"
#include "platform/linux/LinuxDialupService.h"
#include "../dialup/PrivateNetns.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>

namespace vr31k {
namespace {

using namespace ids;
using namespace std::chrono_literals;

class ConnectionFlow : public ::testing::Test {
protected:
    // Everything is made inside the namespace (the test body runs there).
    void Begin() {
        std::string error;
        ASSERT_TRUE(simulator.Start(error)) << error;
        port = simulator.PortPath();
        LinuxDialupConfig config;
        config.link = DialLink::Simulated;
        config.simulatedLinkPath = SIMLINK;
        config.privateBase = dir.Path();
        config.runDir = dir.Path();
        service = CreateLinuxDialupService(config);
        charge = std::make_unique<CRasChargeCtrl>(*service);
        ASSERT_EQ(charge->Setup(dir.File("VR31KUTL.dat"), dir.File("VR31KUTL.pbk"), kCardModemName, false), 0);
        ASSERT_EQ(charge->History().OpenHistory(dir.File("VR31KUTL.mdb"), std::string(kPassPhrase)), kDbOk);
        charge->RecomputePeriod();
        charge->SetCardPort(port);
        MainWindowParts parts(card, port, utility, *charge, settings);
        window = std::make_unique<CUtilityDlg>(std::move(parts), view);
        connection = std::make_unique<ConnectionControl>(*window);
        window->SetConnectionControl(connection.get());
        window->OnInitDialog();
        ASSERT_EQ(window->State(), kCardReady);
    }
    void TearDown() override {
        connection.reset();
        window.reset();
        charge.reset();
    }
    int Rows() {
        int rows = 0;
        charge->History().ForEachRow([&](const HistoryRow&) { return ++rows, true; });
        return rows;
    }
    // Connects from the tray menu and waits for the connection's first tick.
    void Connect() {
        window->OnCommand(kCmdTrayConnect);
        ASSERT_EQ(window->State(), kCardDialing) << "connecting dialog ended without the link";
        ASSERT_TRUE(view.Pump([&] { return view.timers.count(kTimerConnection) == 1; }));
    }
    int Count(int caption) { return static_cast<int>(std::count(view.user.messages.begin(), view.user.messages.end(), caption)); }

    test::TempDir dir;
    sim::CardSimulator simulator;
    CWKvCtrl card{CardTimings{1000, 1000, 5, 20}};
    std::string port;
    UtilitySettings utility;
    SettingsStore settings{dir.File("VR31KUTL.ini")};
    std::unique_ptr<IDialupService> service;
    std::unique_ptr<CRasChargeCtrl> charge;
    test::RecordingView view;
    std::unique_ptr<CUtilityDlg> window;
    std::unique_ptr<ConnectionControl> connection;
};

TEST_F(ConnectionFlow, ConnectTickHangUpShowsTheResultAndRecordsOneRow) {
    VR31K_IN_PRIVATE_NETNS();
    Begin();
    Connect();
    EXPECT_FALSE(view.shown) << "a made connection sends the window to the tray";
    EXPECT_EQ(view.trayIcon, 140);
    EXPECT_TRUE(view.disconnectTexts);
    EXPECT_NE(std::find(view.connectingTexts.begin(), view.connectingTexts.end(), IDS_PROGRESS_CONNECTED),
              view.connectingTexts.end());
    window->OnCommand(kCmdTrayDialupStatus);
    EXPECT_TRUE(view.StatusDialogOpen());
    window->OnTimer(kTimerConnection);
    EXPECT_GT(view.statusRefreshes, 0);
    EXPECT_NE(view.trayTip.find("通信中: " + std::string(kFactoryApn)), std::string::npos);

    view.user.answers = {true};  // yes, disconnect
    window->OnCommand(kCmdTrayConnect);
    EXPECT_EQ(view.disconnectingDialogs, 1);
    EXPECT_EQ(view.user.asked.back().caption, IDS_DISCONNECT_CONFIRM_CAPTION);
    ASSERT_TRUE(view.Pump([&] { return Rows() == 1; }));
    view.Pump([] { return false; }, 500ms);  // whatever else was posted
    EXPECT_EQ(window->State(), kCardReady);
    EXPECT_EQ(view.results.size(), 1u);
    EXPECT_EQ(Count(IDS_APP_TITLE), 0) << "the gone notice after a user hang-up is no lost line";
    EXPECT_FALSE(view.StatusDialogOpen());
    EXPECT_FALSE(view.disconnectTexts);
    EXPECT_EQ(view.timers.count(kTimerConnection), 0u);
    EXPECT_EQ(Rows(), 1);
}

TEST_F(ConnectionFlow, LostLineCancelledDialLevelZeroAndSessionEnd) {
    VR31K_IN_PRIVATE_NETNS();
    Begin();
    // The line is lost: message 201/203, then the result dialog; one row.
    Connect();
    std::vector<ConnectionInfo> links;
    service->EnumConnections(links);
    ASSERT_FALSE(links.empty());
    ASSERT_GT(links[0].pid, 0);
    kill(links[0].pid, SIGKILL);
    ASSERT_TRUE(view.Pump([&] { return view.results.size() == 1; }));
    EXPECT_EQ(Count(IDS_APP_TITLE), 1);
    EXPECT_EQ(window->State(), kCardReady);
    EXPECT_EQ(Rows(), 1);

    // Cancel while dialling: quiet, no question, no result dialog.
    view.cancelConnecting = true;
    window->OnCommand(kCmdConnect);
    EXPECT_EQ(view.posted.back(), kCmdConnect);
    window->OnCommand(kCmdConnect);  // the posted command ends the dial
    view.cancelConnecting = false;
    EXPECT_EQ(window->State(), kCardReady);
    EXPECT_EQ(view.results.size(), 1u);
    EXPECT_EQ(view.disconnectingDialogs, 0);

    // Level 0 refuses the dial.
    simulator.SetSignal(0);
    window->OnCommand(kCmdConnect);
    EXPECT_EQ(view.user.messages.back(), IDS_OUT_OF_SERVICE_CAPTION);
    EXPECT_EQ(window->State(), kCardReady);
    simulator.SetSignal(3);

    // The session ends while connected: recorded once, hung up without dialogs.
    view.Pump([] { return false; }, 300ms);
    const int before = Rows();
    Connect();
    window->OnSessionEnding();
    EXPECT_TRUE(connection->IsSessionEnding());
    ASSERT_TRUE(view.Pump([&] { return view.timers.count(kTimerConnection) == 0; }));
    view.Pump([] { return false; }, 500ms);
    EXPECT_EQ(Rows(), before + 1);
    EXPECT_EQ(view.results.size(), 1u);

    // The log-out was cancelled: the utility runs on, and the next connection counts.
    Connect();
    view.user.answers = {true};
    window->OnCommand(kCmdTrayConnect);
    ASSERT_TRUE(view.Pump([&] { return Rows() == before + 2; })) << "a connection after a cancelled log-out is recorded";
}

}  // namespace
}  // namespace vr31k
