// The window's connection flow against the card simulator and the simulated link, in a
// private network namespace: connect, tick, hang up with the result dialog and one
// history row; every end of a connection and of a dial; level 0; the charge notice. The
// disconnecting-dialog race and the outside connection are covered on the way.
#include "accounting/EntryCredentialStore.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "dialup/ConnectionFigures.h"
#include "dialup/DialFailureCause.h"
#include "platform/InstanceChannel.h"
#include "platform/InstanceLock.h"
#include "support/ProcessRun.h"
#include "support/PrivateNetns.h"
#include "support/SamplePlan.h"
#include "support/SimulatedSession.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <future>
#include <poll.h>
#include <sstream>
#include <thread>

namespace vr31k {
namespace {

using namespace ids;
using namespace std::chrono_literals;

// Sends `sig` to the link's process: SIGUSR1 a burst of traffic each way, SIGKILL the line lost.
void SignalLink(IDialupService& service, int sig) {
    std::vector<ConnectionInfo> links;
    service.EnumConnections(links);
    ASSERT_FALSE(links.empty());
    ASSERT_GT(links[0].pid, 0);
    kill(links[0].pid, sig);
}

class ConnectionFlow : public ::testing::Test {
protected:
    // Everything is made inside the namespace (the test body runs there).
    void Begin() {
        std::string error;
        ASSERT_TRUE(s.Prepare(error)) << error;
        s.Start();
        charge = &s.Charge();
        service = &s.Dialup();
        window = &s.Window();
        connection = &s.Connection();
        ASSERT_EQ(window->State(), kCardReady);
    }
    // A prepared session of its own in the folder `name`, for a case of a table.
    std::unique_ptr<test::SimulatedSession> SessionIn(const std::string& name) {
        const std::string folder = dir.File(name);
        std::filesystem::create_directory(folder);
        auto session = std::make_unique<test::SimulatedSession>(folder, SIMLINK);
        std::string error;
        EXPECT_TRUE(session->Prepare(error)) << error;
        return session;
    }
    int Rows() { return s.Rows(); }
    void Connect() { ASSERT_TRUE(s.Connect()) << "connecting dialog ended without the link"; }
    int Count(int caption) { return static_cast<int>(std::count(view.user.messages.begin(), view.user.messages.end(), caption)); }

    test::TempDir dir;
    test::SimulatedSession s{dir.Path(), SIMLINK};
    sim::CardSimulator& simulator = s.simulator;
    test::RecordingView& view = s.view;
    CRasChargeCtrl* charge = nullptr;
    IDialupService* service = nullptr;
    CUtilityDlg* window = nullptr;
    ConnectionControl* connection = nullptr;
};

TEST_F(ConnectionFlow, ConnectTickHangUpShowsTheResultAndRecordsOneRow) {
    VR31K_IN_PRIVATE_NETNS();
    std::string looked;  // the interface whose path was looked at
    s.services->UseLinkPath(
        [&](const std::string& name) { return looked = name, LinkPathFacts{LinkRoute::Elsewhere, "eth9", LinkNames::Used}; });
    Begin();
    // A yen a packet of 16 bytes after the first: every byte the connection moved
    // shows in the charge, and counting it twice would too.
    charge->Plan() = test::MakePlan(
        {.type = kChargeMeteredFree, .freePackets = 1, .freeFee = 1, .notice = 1000000, .noticeRatio = 80});
    charge->Plan().packetSize = 16;
    charge->DerivePlan();
    charge->RecomputePeriod();
    Connect();
    SignalLink(*service, SIGUSR1);
    EXPECT_FALSE(view.shown) << "a made connection sends the window to the tray";
    EXPECT_EQ(view.trayIcon, 140);
    EXPECT_TRUE(view.disconnectTexts);
    EXPECT_NE(std::find(view.connectingTexts.begin(), view.connectingTexts.end(), IDS_PROGRESS_CONNECTED),
              view.connectingTexts.end());
    window->OnCommand(kCmdTrayDialupStatus);
    EXPECT_TRUE(view.StatusDialogOpen());
    window->OnTimer(kTimerConnection);
    EXPECT_GT(view.statusRefreshes, 0);
    // The route goes elsewhere: the status dialog says so, the tray tip in the entry's line.
    EXPECT_EQ(looked.rfind("ppp", 0), 0u) << "the link's interface: " << looked;
    EXPECT_EQ(view.statusFigures.warning, FormatString(IDS_LINK_WARNING_ROUTE, {"eth9"}));
    EXPECT_NE(view.trayTip.find("\n警告: 通信は eth9 経由\n接続時間: "), std::string::npos) << view.trayTip;

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
    // The result and what is asked after it count the connection's bytes once, whether
    // its row was written before the result dialog or after.
    std::optional<int32_t> rowCharge;
    charge->History().ForEachRow([&](const HistoryRow& row) { return rowCharge = row.charge, true; });
    ASSERT_TRUE(rowCharge.has_value());
    EXPECT_GT(*rowCharge, 0);
    EXPECT_EQ(view.results.back().charge, FormatCharge(*rowCharge));
    EXPECT_EQ(ConnectionFiguresOf(*charge, true).charge, FormatCharge(*rowCharge));
}

// Every end of a made connection, one after another: what it shows, its row written
// once, the flow back where it was. The session's end records first and shows nothing;
// a log-out that was cancelled leaves the utility running, and the next connection
// counts. 終了 asks first; はい hangs up and ends the program, also when the line was
// lost while the question was open. Level 0 refuses the dial before them.
TEST_F(ConnectionFlow, EveryEndOfAConnectionRecordsItOnce) {
    VR31K_IN_PRIVATE_NETNS();
    Begin();
    simulator.SetSignal(0);
    window->OnCommand(kCmdConnect);
    EXPECT_EQ(view.user.messages.back(), IDS_OUT_OF_SERVICE_CAPTION);
    EXPECT_EQ(window->State(), kCardReady);
    simulator.SetSignal(3);

    enum class How { LineLost, SessionEnd, HangUp, Exit, ExitAfterLineLost };
    struct Case {
        const char* name;
        How how;
        bool answer;   // to the question it asks
        int results;   // result dialogs shown
        int lineLost;  // boxes telling a lost line
        bool ended;
    } cases[] = {
        {"the line is lost", How::LineLost, false, 1, 1, true},
        {"the session ends", How::SessionEnd, false, 0, 0, true},
        {"hung up after a cancelled log-out", How::HangUp, true, 1, 0, true},
        {"終了, いいえ keeps it", How::Exit, false, 0, 0, false},
        {"終了, はい", How::Exit, true, 1, 0, true},
        {"終了, はい after a lost line", How::ExitAfterLineLost, true, 1, 1, true},
    };
    view.modalLimit = 5s;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.Pump([] { return false; }, 300ms);  // the last case's leftovers
        if (!connection->IsConnected()) Connect();
        const int rows = Rows();
        const size_t results = view.results.size();
        const int lost = Count(IDS_APP_TITLE);
        const auto loseTheLine = [&] {
            SignalLink(*service, SIGKILL);
            ASSERT_TRUE(view.Pump([&] { return view.results.size() == results + 1; }));
        };
        view.user.answers = {c.answer};
        view.whileBox = [&](const MessageBoxRequest& box) {
            if (box.captionId == IDS_EXIT_CONFIRM_CAPTION && c.how == How::ExitAfterLineLost) loseTheLine();
        };
        if (c.how == How::LineLost) loseTheLine();
        if (c.how == How::SessionEnd) {
            window->OnSessionEnding();
            EXPECT_EQ(Rows(), rows + 1) << "recorded before the session's end returns";
        }
        if (c.how == How::HangUp) window->OnCommand(kCmdTrayConnect);
        if (c.how == How::Exit || c.how == How::ExitAfterLineLost) {
            window->OnCommand(kCmdExit);
            EXPECT_EQ(view.user.asked.back().caption, IDS_EXIT_CONFIRM_CAPTION);
            EXPECT_EQ(view.destroyed, c.answer);
            EXPECT_EQ(view.modalTimeouts, 0) << "the disconnecting dialog never ended";
        }
        view.whileBox = nullptr;
        view.user.answers = {};
        ASSERT_TRUE(view.Pump([&] { return view.timers.count(kTimerConnection) == (c.ended ? 0u : 1u); }));
        view.Pump([] { return false; }, 500ms);
        EXPECT_EQ(Rows(), rows + (c.ended ? 1 : 0)) << "recorded once";
        EXPECT_EQ(view.results.size(), results + c.results);
        EXPECT_EQ(Count(IDS_APP_TITLE), lost + c.lineLost);
        EXPECT_EQ(connection->IsConnected(), !c.ended);
        EXPECT_EQ(window->State(), c.ended ? kCardReady : kCardDialing);
        EXPECT_EQ(connection->Phase(), c.ended ? ConnectionPhase::Idle : ConnectionPhase::Connected);
        if (view.destroyed) {
            // The program goes on for the next case as a new start would.
            view.destroyed = false;
            connection->Start();
        }
    }
}

// The charge notice: not at the end of a connection that never reached it (a lost
// line's row is written before the end's final figures), and once in the connection that does.
TEST_F(ConnectionFlow, ChargeNoticeComesOnceAndNeverFromRecordedBytes) {
    VR31K_IN_PRIVATE_NETNS();
    Begin();
    const auto burst = [&] {
        const int64_t before = charge->Live().recv;
        SignalLink(*service, SIGUSR1);
        for (int i = 0; i < 100 && charge->Live().recv < before + 4096; ++i) {
            view.Pump([] { return false; }, 50ms);
            window->OnTimer(kTimerConnection);
        }
        ASSERT_GE(charge->Live().recv, before + 4096);
    };
    Connect();
    burst();
    // A notice at one and a half times what this connection moved: a yen per 16 bytes.
    const int64_t moved = charge->Live().sent + charge->Live().recv;
    charge->Plan() = test::MakePlan({.notice = static_cast<int32_t>(moved * 3 / 2 / 16), .noticeRatio = 100});
    charge->Plan().packetSize = 16;
    charge->DerivePlan();
    charge->RecomputePeriod();
    SignalLink(*service, SIGKILL);
    ASSERT_TRUE(view.Pump([&] { return view.results.size() == 1; }));
    EXPECT_EQ(Count(IDS_CHARGE_NOTICE_CAPTION), 0) << "the lost connection's recorded bytes are no new usage";

    Connect();
    burst();
    window->OnTimer(kTimerConnection);
    EXPECT_EQ(Count(IDS_CHARGE_NOTICE_CAPTION), 1) << "the notice the period still owes";
}

// The user's own limit on the connection tick, each case in a session of its own: off
// nothing happens; the warning share warns once (a balloon and a box); at the limit the
// tick that sees it hangs up, one row is recorded and a box says why; bytes allowed past
// the limit move the hang-up. Every tick that leaves the link up saw it below the end.
// The burst warning, a setting of its own, warns once with the limit off.
// After the hang-up a new dial asks first: no dials nothing, yes dials with room to run.
TEST_F(ConnectionFlow, TheUsersLimitWarnsOnceAndHangsUpWithinTheTick) {
    VR31K_IN_PRIVATE_NETNS();
    constexpr int64_t kKiB = 1024;
    struct Case {
        const char* name;
        int32_t kind;
        int64_t bytes;
        int32_t warnRatio;
        int64_t over;    // allowed past the limit before the dial
        int bursts;      // at most; a hang-up ends them
        int warnings;    // boxes (and balloons) of the warning share
        bool hungUp;
        int64_t burst = 0;  // the burst warning's size, 0 off
    } cases[] = {
        {"off", kLimitOff, -1, 80, 0, 2, 0, false},
        {"burst", kLimitOff, -1, 80, 0, 2, 0, false, 100 * kKiB},
        {"warning", kLimitBytes, 10 * 1024 * kKiB, 1, 0, 2, 1, false},
        {"reached", kLimitBytes, 200 * kKiB, 50, 0, 6, 1, true},
        {"allowance", kLimitBytes, 64 * kKiB, 0, 256 * kKiB, 12, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto session = SessionIn(c.name);
        test::SimulatedSession& w = *session;
        ASSERT_EQ(w.settings.ChangeLimit([&](LimitSettings& limit) {
            limit.kind = c.kind;
            limit.bytes = c.bytes;
            limit.warnRatio = c.warnRatio;
            limit.burstBytes = c.burst;
            return true;
        }), 0);
        w.Start();
        if (c.over > 0) w.Connection().AllowOverLimit(c.over);
        ASSERT_TRUE(w.Connect());
        const int64_t end = c.kind == kLimitOff ? INT64_MAX : c.bytes + c.over;
        int64_t peak = 0;  // the most a tick saw while the link stayed up
        for (int i = 0; i < c.bursts && w.Window().State() == kCardDialing; ++i) {
            const int64_t before = w.Charge().Live().recv;
            SignalLink(w.Dialup(), SIGUSR1);
            for (int t = 0; t < 100 && w.Window().State() == kCardDialing && w.Charge().Live().recv < before + 65536; ++t) {
                w.view.Pump([] { return false; }, 50ms);
                w.Window().OnTimer(kTimerConnection);
                if (w.Window().State() != kCardDialing) break;
                const int64_t seen = w.Charge().Period().periodBytes + w.Charge().UncountedLiveBytes();
                EXPECT_LT(seen, end) << "a tick saw the limit and left the link up";
                peak = std::max(peak, seen);
            }
        }
        if (c.hungUp) {
            ASSERT_TRUE(w.view.Pump([&] { return w.Rows() == 1; }));
        }
        const auto count = [&](int caption) {
            return std::count(w.view.user.messages.begin(), w.view.user.messages.end(), caption);
        };
        const std::string warning(LoadString(IDS_LIMIT_WARNING_CAPTION));
        EXPECT_EQ(count(IDS_LIMIT_WARNING_CAPTION), c.warnings);
        EXPECT_EQ(std::count(w.view.balloons.begin(), w.view.balloons.end(), warning), c.warnings);
        const std::string burst(LoadString(IDS_BURST_CAPTION));
        EXPECT_EQ(std::count(w.view.balloons.begin(), w.view.balloons.end(), burst), c.burst > 0 ? 1 : 0);
        EXPECT_EQ(count(IDS_LIMIT_REACHED_CAPTION), c.hungUp ? 1 : 0);
        EXPECT_EQ(w.Window().State(), c.hungUp ? kCardReady : kCardDialing);
        if (c.over > 0) {
            EXPECT_GE(peak, c.bytes) << "the allowance let the link run past the limit";
        }
        if (!c.hungUp) {
            // The pace: in the status dialog always, in the tip only with the limit on.
            w.Window().OnCommand(kCmdTrayDialupStatus);
            w.Window().OnTimer(kTimerConnection);
            EXPECT_FALSE(w.view.statusFigures.pace.empty());
            EXPECT_EQ(w.view.trayTip.find("1日") != std::string::npos, c.kind != kLimitOff) << w.view.trayTip;
            w.view.user.answers = {true};
            w.Window().OnCommand(kCmdTrayConnect);
            ASSERT_TRUE(w.view.Pump([&] { return w.Rows() == 1; }));
            continue;
        }
        w.view.Pump([] { return false; }, 500ms);
        EXPECT_EQ(w.Rows(), 1) << "the hang-up at the limit is recorded once";
        EXPECT_EQ(w.view.results.size(), 1u);
        if (std::string(c.name) != "reached") continue;

        // A new dial at the limit asks first.
        w.view.user.answers = {false};
        w.Window().OnCommand(kCmdConnect);
        EXPECT_EQ(w.view.user.asked.back().caption, IDS_LIMIT_CONNECT_CAPTION);
        EXPECT_EQ(w.Window().State(), kCardReady) << "no does not dial";
        w.view.user.answers = {true, true};
        ASSERT_TRUE(w.Connect()) << "yes dials";
        w.Window().OnTimer(kTimerConnection);
        EXPECT_EQ(w.Window().State(), kCardDialing) << "with room past the limit";
        w.view.user.answers = {true};
        w.Window().OnCommand(kCmdTrayConnect);
        ASSERT_TRUE(w.view.Pump([&] { return w.Rows() == 2; }));
    }
}

// Every way a dial ends while its connecting dialog is up closes the dialog, and the
// window then shows the card as it is, with 接続 on the button; in the tray the tip no
// longer says 通信中. An error after the dialog is gone is told as an abort.
TEST_F(ConnectionFlow, EveryEndOfADialClosesItsDialogs) {
    VR31K_IN_PRIVATE_NETNS();
    Begin();
    enum class End { CardPulledThenError, DiallerError, TrayDisconnect, Cancel, ErrorWhenConnected };
    struct Case {
        const char* name;
        End end;
        int state;  // the window's state after
        int box;    // the caption of the box told (0: none)
        int code;   // the dialler's error
        const char* cause;  // a part of the box's cause line ("" no box)
        bool diagnosis;     // the box offers the diagnosis
    };
    const Case cases[] = {
        {"card pulled, then the dialler's error", End::CardPulledThenError, kCardNone, IDS_DIAL_FAILED_CAPTION,
         dialerr::kFromDevice, "(vr31kctl card check)", true},
        {"the dialler's error", End::DiallerError, kCardReady, IDS_DIAL_FAILED_CAPTION,
         dialerr::kAuthenticationFailure, "ユーザ名またはパスワード", false},
        {"切断 in the tray menu", End::TrayDisconnect, kCardReady, 0, 0, "", false},
        {"キャンセル", End::Cancel, kCardReady, 0, 0, "", false},
        {"an error once connected", End::ErrorWhenConnected, kCardReady, IDS_DIAL_ABORTED_CAPTION,
         dialerr::kPortDisconnected, "データ端末が回線を切断しました", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto dialError = [&] { view.Post([&] { connection->OnDialEvent(dialstate::kOpenPort, c.code); }); };
        view.Pump([] { return false; }, 300ms);  // the last case's leftovers
        if (window->State() == kCardNone) window->OnCardPresence(true);
        ASSERT_EQ(window->State(), kCardReady);
        const size_t boxes = view.user.shown.size();
        view.shown = false;
        view.cancelConnecting = c.end == End::Cancel;
        view.whileConnecting = [&] {
            if (c.end == End::CardPulledThenError) window->OnDeviceNotice(CardNotice::Removed);
            if (c.end == End::CardPulledThenError || c.end == End::DiallerError) dialError();
            if (c.end == End::TrayDisconnect) window->OnCommand(kCmdTrayConnect);
        };
        if (c.end == End::ErrorWhenConnected) {
            view.whileConnecting = nullptr;
            Connect();
            dialError();
            view.Pump([&] { return window->State() != kCardDialing; }, 5s);
        } else {
            window->OnCommand(kCmdTrayConnect);
        }
        view.cancelConnecting = false;
        // A Cancel posts the menu command, which ends the dial: quietly, no question.
        const bool posted = !view.posted.empty() && view.posted.back() == kCmdConnect;
        EXPECT_EQ(posted, c.end == End::Cancel);
        if (posted) {
            view.posted.pop_back();
            window->OnCommand(kCmdConnect);
        }
        EXPECT_EQ(view.modalTimeouts, 0) << "a dialog stayed open";
        EXPECT_FALSE(view.ConnectingDialogOpen());
        EXPECT_EQ(window->State(), c.state);
        EXPECT_EQ(connection->Phase(), ConnectionPhase::Idle);
        EXPECT_FALSE(view.disconnectTexts) << "接続 on the button";
        EXPECT_EQ(view.trayTip.find("通信中"), std::string::npos) << view.trayTip;
        EXPECT_EQ(view.user.shown.size() > boxes ? view.user.shown.back().caption : 0, c.box);
        if (c.box != 0) {
            // The number as the table says it, the cause beneath in the same words as vr31kctl connect.
            const test::ScriptedUi::Box& box = view.user.shown.back();
            EXPECT_EQ(box.shownText, FormatString(c.box + 1, {std::to_string(c.code)}));
            EXPECT_EQ(box.cause.rfind("原因: " + DialFailureCause(c.code, ""), 0), 0u) << box.cause;
            EXPECT_NE(box.cause.find(c.cause), std::string::npos) << box.cause;
            EXPECT_EQ(box.offersDiagnosis, c.diagnosis);
        }
        ASSERT_TRUE(view.Pump([&] { return !connection->IsConnected(); }, 10s));
        view.shown = true;
    }
    EXPECT_EQ(view.results.size(), 0u) << "no dial here made a connection the user ended";
    EXPECT_EQ(view.disconnectingDialogs, 0);
    EXPECT_TRUE(view.user.asked.empty() || view.user.asked.back().caption == IDS_CONNECT_CONFIRM_CAPTION)
        << "no question about ending a dial";
}

// The window's socket glue without the toolkit: a thread watches the listening socket
// and posts the accepting to the window's thread, as the Qt window's notifier does.
class SocketGlue {
public:
    SocketGlue(test::RecordingView& view, RemoteControl& remote, const std::string& path)
        : m_view(view), m_remote(remote) {
        EXPECT_TRUE(m_server.Listen(path));
        m_watcher = std::thread([this] { Watch(); });
    }
    ~SocketGlue() {
        m_stop = true;
        m_watcher.join();
    }
    // Requests handed to the window so far.
    int Handled() const { return m_handled; }

private:
    struct Client final : IRemoteClient {
        std::unique_ptr<InstancePeer> peer;
        bool Send(const std::string& line) override { return peer != nullptr && peer->Send(line); }
        void Finish() override { peer.reset(); }
    };
    void Watch() {
        while (!m_stop) {
            pollfd pfd{m_server.Fd(), POLLIN, 0};
            if (poll(&pfd, 1, 50) > 0 && !m_pending.exchange(true)) m_view.Post([this] { Serve(); });
        }
    }
    void Serve() {
        for (int fd = m_server.AcceptClient(); fd >= 0; fd = m_server.AcceptClient()) {
            auto client = std::make_shared<Client>();
            client->peer = std::make_unique<InstancePeer>(fd);
            std::string line;
            auto read = InstancePeer::ReadResult::Waiting;
            for (int i = 0; i < 200 && read == InstancePeer::ReadResult::Waiting; ++i) {
                read = client->peer->Read(line);
                if (read == InstancePeer::ReadResult::Waiting) std::this_thread::sleep_for(10ms);
            }
            if (read == InstancePeer::ReadResult::Line) m_remote.Handle(line, client);
            ++m_handled;
        }
        m_pending = false;
    }
    test::RecordingView& m_view;
    RemoteControl& m_remote;
    InstanceServer m_server;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_pending{false};
    std::atomic<int> m_handled{0};
    std::thread m_watcher;
};

// vr31kctl finds the window's socket here; gone with the test, also when it fails.
struct LockDirVariable {
    explicit LockDirVariable(const std::string& path) { setenv("VR31K_LOCK_DIR", path.c_str(), 1); }
    ~LockDirVariable() { unsetenv("VR31K_LOCK_DIR"); }
};

// vr31kctl over `folder` in a thread of its own, while this one is the window's thread.
using CtlRun = std::future<std::pair<int, std::string>>;
CtlRun StartCtl(const std::string& folder, std::vector<std::string> words) {
    words.insert(words.begin(), {test::CtlPath(), "--json", "--data-dir", folder});
    std::vector<std::string> env;
    for (const char* keep : {"VR31K_LOCK_DIR", "XDG_RUNTIME_DIR", "TZ"}) {
        if (const char* value = std::getenv(keep)) env.push_back(std::string(keep) + "=" + value);
    }
    return std::async(std::launch::async, [words, env] {
        const test::RunResult run = test::RunProgram(nullptr, words, env);
        return std::make_pair(run.status, run.out + run.err);
    });
}
std::pair<int, std::string> FinishCtl(test::RecordingView& view, CtlRun run) {
    const auto ready = [&] { return run.wait_for(0s) == std::future_status::ready; };
    for (int i = 0; i < 600 && !ready(); ++i) view.Pump(ready, 100ms);
    return run.get();
}

// A client as the window's glue holds it, keeping what it is sent.
struct RecordingClient final : IRemoteClient {
    std::vector<RemoteReply> replies;
    bool finished = false;
    bool Send(const std::string& line) override {
        const auto reply = RemoteReply::Parse(line);
        EXPECT_TRUE(reply) << line;
        if (reply) replies.push_back(*reply);
        return !finished;
    }
    void Finish() override { finished = true; }
};

// No dial here, so no namespace: what each request answers while nothing is connected.
TEST_F(ConnectionFlow, RequestsWithoutAConnection) {
    Begin();
    RemoteControl& remote = s.session->Remote();
    struct Case {
        const char* line;
        const char* reply;
        const char* error;
        int box;  // the caption of the box told with the reply (0: none)
    };
    const Case cases[] = {
        {"dial", "error", "bad-request", 0},
        {"status now", "error", "bad-request", 0},
        {"status", "status", "not-connected", 0},
        {"watch", "watch", "not-connected", 0},
        {"disconnect", "disconnect", "not-connected", 0},
        {"connect nowhere.example", "connect", "no-entry", 0},
        {"connect", "connect", "out-of-service", IDS_OUT_OF_SERVICE_CAPTION},  // with signal 0, below
    };
    for (const Case& c : cases) {
        if (c.box == IDS_OUT_OF_SERVICE_CAPTION) simulator.SetSignal(0);
        auto client = std::make_shared<RecordingClient>();
        remote.Handle(c.line, client);
        view.Pump([&] { return client->finished; }, 10s);
        EXPECT_TRUE(client->finished) << c.line;
        ASSERT_EQ(client->replies.size(), 1u) << c.line;
        const RemoteReply& reply = client->replies[0];
        EXPECT_EQ(reply.Text("reply"), c.reply) << c.line;
        EXPECT_FALSE(reply.Flag("ok")) << c.line;
        EXPECT_EQ(reply.Text("error"), c.error) << c.line;
        if (c.box != 0) {
            const RemoteReply* boxes = reply.Find("messages");
            ASSERT_NE(boxes, nullptr) << c.line;
            EXPECT_EQ(*boxes, RemoteReply(std::vector<int64_t>{c.box})) << c.line;
        }
    }
    EXPECT_EQ(view.user.messages.back(), IDS_OUT_OF_SERVICE_CAPTION) << "the window tells it as usual";
    EXPECT_EQ(window->State(), kCardReady);
}

// vr31kctl connect, status and disconnect while the window runs: the window dials and
// hangs up (its connecting, disconnecting and result dialogs as usual, no questions),
// the command prints what the window answered.
TEST_F(ConnectionFlow, VrctlAsksTheRunningWindow) {
    VR31K_IN_PRIVATE_NETNS();
    s.services->UseLinkPath(
        [](const std::string&) { return LinkPathFacts{LinkRoute::Through, "", LinkNames::NotUsed}; });
    Begin();
    LockDirVariable lockDirVariable(dir.Path());
    RemoteControl& remote = s.session->Remote();
    SocketGlue glue(view, remote, InstanceLock(dir.Path()).OwnSocketPath());
    const auto start = [&](std::vector<std::string> words) { return StartCtl(dir.Path(), std::move(words)); };
    const auto finish = [&](CtlRun run) { return FinishCtl(view, std::move(run)); };
    const auto ctl = [&](std::vector<std::string> words) { return finish(start(std::move(words))); };
    const auto asked = [&](int caption) {
        return std::any_of(view.user.asked.begin(), view.user.asked.end(),
                           [&](const auto& box) { return box.caption == caption; });
    };

    // vr31kctl `words`: how it ends, and the parts of what it prints.
    const auto expectCtl = [&](std::vector<std::string> words, int status, const std::vector<std::string>& parts) {
        const auto [ended, out] = ctl(std::move(words));
        EXPECT_EQ(ended, status) << out;
        for (const std::string& part : parts) EXPECT_NE(out.find(part), std::string::npos) << part << " in " << out;
    };
    const std::string entry = "\"entry\": \"" + std::string(kFactoryApn) + "\"";

    expectCtl({"status"}, 1, {"\"code\": 908"});
    expectCtl({"connect"}, 0, {"\"state\": \"connected\"", entry});
    EXPECT_EQ(window->State(), kCardDialing);
    EXPECT_FALSE(asked(IDS_CONNECT_CONFIRM_CAPTION)) << "the command is the user's yes";
    ASSERT_TRUE(view.Pump([&] { return view.timers.count(kTimerConnection) == 1; }));

    // The running connection is on disk ("saved").
    expectCtl({"status"}, 0,
              {"\"source\": \"utility\"", "\"saved\": \"", entry,
               "\"warning\": \"" + FormatString(IDS_LINK_WARNING_NAMES, {})});
    expectCtl({"connect"}, 1, {"already-connected"});

    // A watch follows the connection until it ends.
    // Its status question and the watch itself reach the window, then a tick.
    const int handled = glue.Handled();
    auto watch = start({"watch"});
    ASSERT_TRUE(view.Pump([&] { return glue.Handled() >= handled + 2; }, 20s));
    window->OnTimer(kTimerConnection);
    expectCtl({"disconnect"}, 0, {"\"duration_s\""});
    const auto [watchStatus, watchOut] = finish(std::move(watch));
    EXPECT_EQ(watchStatus, 0) << watchOut;
    EXPECT_GE(std::count(watchOut.begin(), watchOut.end(), '\n'), 3) << watchOut;
    EXPECT_NE(watchOut.find("\"end\": true"), std::string::npos) << watchOut;
    EXPECT_FALSE(asked(IDS_DISCONNECT_CONFIRM_CAPTION));
    EXPECT_EQ(view.disconnectingDialogs, 1);
    ASSERT_TRUE(view.Pump([&] { return Rows() == 1; }));
    EXPECT_EQ(view.results.size(), 1u) << "the window shows its result as usual";
    EXPECT_EQ(window->State(), kCardReady);
}

// What vr31kctl changes while the window runs reaches it: while connected, a limit
// behind the bytes moved hangs up at the next tick and a notice amount behind them
// brings the notice; a renamed entry (the card is free only between connections)
// shows in the entry box.
TEST_F(ConnectionFlow, VrctlChangesReachTheRunningWindow) {
    VR31K_IN_PRIVATE_NETNS();
    struct Case {
        const char* name;
        std::vector<std::string> words;
        int caption;   // the box the next tick shows
        int state;     // the window's after it
    } cases[] = {
        {"limit", {"plan", "set-limit", "--bytes", "4k"}, IDS_LIMIT_REACHED_CAPTION, kCardReady},
        {"notice", {"plan", "set", "--type", "0", "--price", "1", "--packet-size", "16", "--notice-charge", "1",
                    "--notice-ratio", "100"}, IDS_CHARGE_NOTICE_CAPTION, kCardDialing},
        {"entries", {"entries", "rename", "1", "renamed.example"}, 0, kCardReady},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = dir.File(c.name);
        const auto session = SessionIn(c.name);
        test::SimulatedSession& w = *session;
        w.Start();
        LockDirVariable lockDirVariable(folder);
        SocketGlue glue(w.view, w.session->Remote(), InstanceLock(folder).OwnSocketPath());
        const bool connected = c.caption != 0;
        if (connected) {
            ASSERT_TRUE(w.Connect());
            SignalLink(w.Dialup(), SIGUSR1);
            for (int i = 0; i < 100 && w.Charge().Live().recv < 8192; ++i) {
                w.view.Pump([] { return false; }, 50ms);
                w.Charge().UpdateStatistics();
            }
        }
        std::vector<std::string> words = c.words;
        words.insert(words.begin(), {"--port", w.simulator.PortPath()});
        const auto [status, out] = FinishCtl(w.view, StartCtl(folder, words));
        ASSERT_EQ(status, 0) << out;
        w.view.Pump([] { return false; }, 100ms);
        if (connected) w.Window().OnTimer(kTimerConnection);
        const auto& shown = w.view.user.messages;
        EXPECT_EQ(std::count(shown.begin(), shown.end(), c.caption), connected ? 1 : 0);
        EXPECT_EQ(w.Window().State(), c.state);
        if (!connected) {
            const auto& items = w.view.entries.items;
            EXPECT_NE(std::find(items.begin(), items.end(), "renamed.example"), items.end());
            continue;
        }
        if (c.state == kCardDialing) {
            w.view.user.answers = {true};
            w.Window().OnCommand(kCmdTrayConnect);
        }
        EXPECT_TRUE(w.view.Pump([&] { return w.Rows() == 1; }));
    }
}

}  // namespace
}  // namespace vr31k
