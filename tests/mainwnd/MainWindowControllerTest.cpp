// The main window's logic against the card simulator, with a recording view: start-up,
// the signal display, the PIN and card commands, device notices, standby refusal and
// suspend, and the mends (no nested check on a second arrival, timers stopped on removal,
// a failing level read in the tray).
#include "CardSimulator.h"
#include "accounting/CRasChargeCtrl.h"
#include "common/FolderLock.h"
#include "common/WaitShare.h"
#include "common/StringIds.h"
#include "mainwnd/CUtilityDlg.h"
#include "mainwnd/ConnectionControl.h"
#include "platform/linux/LinuxDialupService.h"
#include "support/ProcessRun.h"
#include "support/SimulatedSession.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <thread>

#include <future>

#include <climits>
#include <csignal>
#include <sys/wait.h>

namespace vr31k {
namespace {

using namespace ids;
using sim::SimState;

class MainWindowController : public ::testing::Test, public ICardLookup {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(s.Prepare(error, false)) << error;
    }
    bool FindCardPort(std::string& found, bool) override {
        ++lookups;
        found = simulator.PortPath();
        return true;
    }
    bool EjectCard(bool) override { return ejectAnswer; }
    CUtilityDlg& Start() {
        s.services->UseCardLookup(*this);
        SessionOptions options;
        options.ready = [this] { ++ready; };
        options.checkOptions.simBusyLimitMs = 500;
        s.Start(options);
        window = &s.Window();
        return *window;
    }

    test::TempDir dir;
    test::SimulatedSession s{dir.Path(), {}, CardTimings{300, 300, 5, 20}};
    sim::CardSimulator& simulator = s.simulator;
    CWKvCtrl& card = s.card;
    std::optional<std::string>& port = s.port;
    UtilitySettings& utility = s.utility;
    CRasChargeCtrl& charge = s.Charge();
    SettingsStore& settings = s.settings;
    test::RecordingView& view = s.view;
    CUtilityDlg* window = nullptr;
    int lookups = 0;
    int ready = 0;
    bool ejectAnswer = true;
};

TEST_F(MainWindowController, StartWithAReadyCardShowsItReadyAndReleasesTheStartUp) {
    CUtilityDlg& w = Start();
    EXPECT_EQ(w.State(), kCardReady);
    EXPECT_FALSE(card.IsOpen());
    EXPECT_TRUE(view.controls.connect) << "entries in step with the card";
    EXPECT_TRUE(view.controls.comboShown);
    EXPECT_EQ(view.entries.items, std::vector<std::string>{kFactoryApn});
    EXPECT_EQ(view.picture, 156);
    EXPECT_EQ(view.signalTexts.buttonTextId, IDS_SIGNAL_BUTTON_ONESHOT);
    EXPECT_TRUE(view.shown);
    EXPECT_EQ(ready, 1);
    EXPECT_TRUE(view.user.messages.empty());
}

// A port that will not open or a card that does not answer: the table's box as it is,
// with why beneath it when the checks of the port see it (who holds it, that it is not
// there), and the diagnosis offered for a port that will not open and wherever a cause is seen.
TEST(MainWindowPortBox, APortThatWillNotOpenOrACardThatWillNotAnswerIsExplained) {
    enum class Port { HeldLocked, HeldOpen, Missing, Free };
    const struct {
        const char* name;
        Port port;
        bool silent;        // the card answers nothing
        int caption;        // of the box told
        const char* cause;  // the line beneath after 原因: and the port ("" none); the holder's pid follows
        bool diagnosis;
    } cases[] = {
        {"held and locked", Port::HeldLocked, false, IDS_PORT_OPEN_ERROR_CAPTION, " を sleep (pid ", true},
        {"no such port", Port::Missing, false, IDS_PORT_OPEN_ERROR_CAPTION, " がありません。", true},
        {"silent while another holds it", Port::HeldOpen, true, IDS_COMM_ERROR_CAPTION, " を sleep (pid ", true},
        {"silent, nobody else", Port::Free, true, IDS_COMM_ERROR_CAPTION, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir folder;
        test::SimulatedSession session{folder.Path(), {}, CardTimings{300, 300, 5, 20}};
        std::string error;
        ASSERT_TRUE(session.Prepare(error, false)) << error;
        const bool held = c.port == Port::HeldLocked || c.port == Port::HeldOpen;
        const pid_t holder = held ? test::StartPortHolder(session.simulator.PortPath(), c.port == Port::HeldLocked) : 0;
        ASSERT_GE(holder, 0);
        if (c.port == Port::Missing) session.port = folder.File("ttyNone");
        if (c.silent) session.simulator.SetFault(sim::Fault::Silent);
        session.Start();
        if (held) {
            kill(holder, SIGKILL);
            waitpid(holder, nullptr, 0);
        }
        ASSERT_EQ(session.view.user.shown.size(), 1u);
        const test::ScriptedUi::Box& box = session.view.user.shown.front();
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.text, c.caption + 1);
        EXPECT_EQ(box.offersDiagnosis, c.diagnosis);
        const std::string port = session.port.value_or(session.simulator.PortPath());
        const std::string cause = *c.cause ? "原因: " + port + c.cause + (held ? std::to_string(holder) : "") : "";
        EXPECT_EQ(box.cause.substr(0, cause.size()), cause);
        EXPECT_EQ(box.cause.empty(), cause.empty()) << box.cause;
    }
}

TEST_F(MainWindowController, IconizedStartGoesToTheTrayWithTheStateIcon) {
    utility.iconizedStart = 1;
    Start();
    EXPECT_FALSE(view.shown);
    EXPECT_EQ(view.trayIcon, 142);
    view.trayAvailable = false;  // no tray host: the window stays
    view.shown = true;
    window->OnMinimise();
    EXPECT_TRUE(view.shown);
}

TEST_F(MainWindowController, NoPortMeansNoCardAndNoCheck) {
    port = std::string();
    CUtilityDlg& w = Start();
    EXPECT_EQ(w.State(), kCardNone);
    EXPECT_FALSE(view.controls.remove);
    EXPECT_EQ(view.picture, 153);
    EXPECT_TRUE(simulator.Commands().empty());
}

TEST_F(MainWindowController, SignalDisplayRunsItsTimersAndReadsTheLevel) {
    CUtilityDlg& w = Start();
    simulator.SetSignal(2);
    w.OnCommand(kCmdSignalButton);
    EXPECT_EQ(w.State(), kCardSignalDisplay);
    EXPECT_TRUE(card.IsOpen()) << "the display keeps the port open";
    EXPECT_EQ(view.timers, (std::map<int, int>{{kTimerSignal, 5000}, {kTimerOneshot, 10000}}));
    EXPECT_EQ(view.picture, 150);
    EXPECT_TRUE(view.signalTexts.checked);
    simulator.SetSignal(0);
    w.OnTimer(kTimerSignal);
    EXPECT_EQ(view.picture, 148) << "圏外";
    EXPECT_EQ(view.pictureWords, "電波状態表示中 圏外");
    w.OnTimer(kTimerOneshot);  // the one-click display ends
    EXPECT_EQ(w.State(), kCardReady);
    EXPECT_TRUE(view.timers.empty());
    EXPECT_FALSE(card.IsOpen());
    EXPECT_EQ(view.signalTexts.buttonTextId, IDS_SIGNAL_BUTTON_ONESHOT);
    // Buttons act only while the window is shown; the tray item acts always.
    view.shown = false;
    w.OnCommand(kCmdSignalButton);
    EXPECT_EQ(w.State(), kCardReady);
    w.OnCommand(kCmdTraySignal);
    EXPECT_EQ(w.State(), kCardSignalDisplay);
    EXPECT_EQ(view.trayIcon, 134);
}

// The signal display on, then the card goes, another dialler takes it, it may be pulled or
// its last PIN attempt fails: the display gives the port up and stops its timers (but the
// connection's tick), and a card back is checked and shown ready, each in turn.
TEST_F(MainWindowController, TheSignalDisplayStopsWhereverTheCardGoes) {
    CUtilityDlg& w = Start();
    const struct {
        const char* what;
        std::function<void()> act;
        int state;
        ConnectionPhase phase;
        std::map<int, int> timers;
        std::function<void()> back;  // none: the card stays as it is
        std::vector<int> told;       // the boxes on the way
    } ways[] = {
        {"removal notice", [&] { w.OnDeviceNotice(CardNotice::Removed); }, kCardNone, ConnectionPhase::Idle, {},
         [&] {
             utility.cardDtctRising = 1;
             view.shown = false;
             w.OnDeviceNotice(CardNotice::Arrived);
             EXPECT_EQ(lookups, 1);
             EXPECT_EQ(w.State(), kCardReady);
             EXPECT_TRUE(view.shown) << "CardDtctRising brings the window out of the tray";
             w.OnDeviceNotice(CardNotice::Arrived);  // the card's second tty: not state 0 any more
             EXPECT_EQ(lookups, 1);
         },
         {}},
        {"outside message", [&] { w.OnCardPresence(false); }, kCardNone, ConnectionPhase::Idle, {},
         [&] { w.OnCardPresence(true); }, {}},
        {"another dialler's connection", [&] { s.Connection().OnNotice(ConnectionNotice::Appeared); },
         kCardOutsideConnection, ConnectionPhase::Outside, {{kTimerConnection, kConnectionTickMs}},
         [&] { s.Connection().OnNotice(ConnectionNotice::Gone); }, {}},
        // The state changes only through the removal notice.
        {"remove command", [&] { w.OnCommand(kCmdRemove); }, kCardReady, ConnectionPhase::Idle, {},
         [&] {
             ejectAnswer = false;
             w.OnCommand(kCmdTrayRemove);
         },
         {IDS_CARD_REMOVED_CAPTION, IDS_CARD_REMOVE_FAILED_CAPTION}},
        {"the last PIN attempt fails: the SIM wants its PUK",
         [&] {
             simulator.SetAttempts(1, 10);
             view.user.wantedLock = true;
             view.user.pins = {"9999"};
             w.OnCommand(kCmdPinLock);
         },
         kCardPukNeeded, ConnectionPhase::Idle, {}, nullptr, {IDS_PIN_BLOCKED_CAPTION}},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        const auto told = static_cast<long>(view.user.messages.size());
        w.OnCommand(kCmdSignalButton);
        ASSERT_EQ(w.State(), kCardSignalDisplay);
        way.act();
        EXPECT_EQ(w.State(), way.state);
        EXPECT_EQ(s.Connection().Phase(), way.phase);
        EXPECT_FALSE(card.IsOpen());
        EXPECT_EQ(view.timers, way.timers);
        EXPECT_FALSE(view.signalTexts.checked);
        if (way.back) {
            way.back();
            EXPECT_EQ(w.State(), kCardReady);
            EXPECT_EQ(s.Connection().Phase(), ConnectionPhase::Idle);
            EXPECT_FALSE(card.IsOpen());
            EXPECT_TRUE(view.timers.empty());
        }
        EXPECT_EQ(std::vector<int>(view.user.messages.begin() + told, view.user.messages.end()), way.told);
    }
}

TEST_F(MainWindowController, OneClickTimeFromTheFileAsReadButWithinTheTimersRange) {
    // The file's value is used as read; one the dialog would refuse must still give a
    // timer that runs (a negative time was a very long one, as an unsigned interval).
    const struct {
        int seconds;
        int intervalMs;
    } cases[] = {{10, 10000}, {60, 60000}, {5, 5000}, {0, 0}, {2147483, 2147483000},
                 {2147484, INT_MAX}, {-5, INT_MAX}, {INT_MIN, INT_MAX}};
    CUtilityDlg& w = Start();
    for (const auto& c : cases) {
        utility.antDispOneshotTime = c.seconds;
        w.OnCommand(kCmdSignalButton);
        ASSERT_EQ(w.State(), kCardSignalDisplay) << c.seconds;
        ASSERT_EQ(view.timers.count(kTimerOneshot), 1u) << c.seconds;
        EXPECT_EQ(view.timers.at(kTimerOneshot), c.intervalMs) << c.seconds;
        w.OnCommand(kCmdSignalButton);
    }
}

TEST_F(MainWindowController, FailingLevelReadInTheTraySwitchesTheDisplayOffThroughTheTrayItem) {
    CUtilityDlg& w = Start();
    w.OnCommand(kCmdTraySignal);
    view.shown = false;
    simulator.SetFault(sim::Fault::Silent);
    w.OnTimer(kTimerSignal);
    EXPECT_EQ(view.posted, std::vector<int>{kCmdTraySignal});
    EXPECT_EQ(view.user.messages, std::vector<int>{IDS_COMM_ERROR_CAPTION});
}

TEST_F(MainWindowController, PinCommandsAndCardInformation) {
    CUtilityDlg& w = Start();
    w.OnCommand(kCmdPinChange);  // the PIN lock is off
    EXPECT_EQ(view.user.messages, std::vector<int>{IDS_PIN_CHANGE_REFUSED_CAPTION});
    EXPECT_FALSE(card.IsOpen());

    view.user.wantedLock = true;
    view.user.pins = {"1234"};
    w.OnCommand(kCmdPinLock);
    EXPECT_TRUE(simulator.PinLock());
    EXPECT_TRUE(w.Status().pinLockOn);
    EXPECT_TRUE(view.controls.pinChange);
    EXPECT_FALSE(card.IsOpen());

    simulator.SetNumber("");
    w.OnCommand(kCmdCardInfo);
    ASSERT_EQ(view.cardInfos.size(), 1u);
    EXPECT_EQ(view.cardInfos[0].first, "...");
    EXPECT_EQ(view.cardInfos[0].second, "VR31K-1.02.004");
}

// A port open at suspend (a card task under way) is closed for the sleep and opened
// again, with the card checked, at resume.
TEST_F(MainWindowController, PortOpenAtSuspendIsReopenedAtResume) {
    CUtilityDlg& w = Start();
    ASSERT_TRUE(w.CheckCard());
    ASSERT_TRUE(card.IsOpen());
    w.OnSuspend();
    EXPECT_FALSE(card.IsOpen());
    EXPECT_TRUE(w.Status().reopenOnResume);
    simulator.ClearCommands();
    w.OnResume();
    EXPECT_TRUE(card.IsOpen()) << "opened again";
    EXPECT_FALSE(simulator.Commands().empty()) << "and the card checked";
    EXPECT_EQ(w.State(), kCardReady);
    EXPECT_FALSE(w.Suspended());
}

TEST_F(MainWindowController, ArrivalDuringAPinDialogStartsNoSecondCheckAndStandbyIsRefused) {
    port = std::string();
    CUtilityDlg& w = Start();
    simulator.SetSimState(SimState::PinRequired);
    int refusalDuringPrompt = -1;
    view.duringPinDialog = [&] {
        refusalDuringPrompt = view.sleepRefusal;
        w.OnDeviceNotice(CardNotice::Arrived);  // another tty of the same card
    };
    view.user.pins = {"1234"};
    w.OnCardPresence(true);  // no port yet: nothing to check
    EXPECT_EQ(lookups, 0);
    w.OnDeviceNotice(CardNotice::Arrived);
    EXPECT_EQ(lookups, 1) << "the arrival during the PIN dialog was ignored";
    EXPECT_EQ(refusalDuringPrompt, IDS_STANDBY_REFUSED_CARD_TEXT);
    EXPECT_EQ(w.State(), kCardReady);
    EXPECT_EQ(view.sleepRefusal, 0) << "allowed again once the port is closed";
}

TEST_F(MainWindowController, CardPulledWhileItsPinIsAskedIsShownGoneAndFoundWhenBack) {
    port = std::string();
    CUtilityDlg& w = Start();
    simulator.SetSimState(SimState::PinRequired);
    bool pulled = false;
    view.duringPinDialog = [&] {
        if (pulled) return;
        pulled = true;
        w.OnDeviceNotice(CardNotice::Removed);
    };
    w.OnDeviceNotice(CardNotice::Arrived);  // the prompt is cancelled: the card has gone
    EXPECT_EQ(w.State(), kCardNone) << "not 'PIN entry cancelled' for a card that is not there";
    EXPECT_EQ(view.picture, 153);
    EXPECT_FALSE(card.IsOpen());

    view.user.pins = {"1234"};
    w.OnDeviceNotice(CardNotice::Arrived);
    EXPECT_EQ(lookups, 2) << "the card's return is noticed";
    EXPECT_EQ(w.State(), kCardReady);
}

TEST_F(MainWindowController, DialupSettingsRefuseStandbyAndWriteTheSettings) {
    CUtilityDlg& w = Start();
    w.OnCommand(kCmdDialupSettings);
    EXPECT_EQ(view.dialupSheets, 1);
    EXPECT_TRUE(view.busyDuringSheet);
    EXPECT_NE(std::find(view.refusals.begin(), view.refusals.end(), IDS_STANDBY_REFUSED_SETTINGS_TEXT),
              view.refusals.end());
    EXPECT_EQ(view.sleepRefusal, 0);
    EXPECT_EQ(settings.ReadDialup(), charge.Plan());

    // Out of step and the user cancels the synchronisation: no sheet, connect greyed.
    simulator.SetContext(2, "other.example");
    w.OnCommand(kCmdDialupSettings);
    EXPECT_EQ(view.syncDialogs, 1);
    EXPECT_EQ(view.dialupSheets, 1);
    EXPECT_FALSE(view.controls.connect);
    EXPECT_FALSE(view.controls.comboShown);
    EXPECT_EQ(w.EntryNames()[1], "other.example") << "the names are the card's list";
}

// Entries another program keeps locked through the start are not "out of step": no
// synchronisation is offered that would write over them, and connecting waits.
TEST_F(MainWindowController, EntriesKeptLockedThroughTheStartAreNotOfferedForSynchronisation) {
    struct ShortWaits {
        ShortWaits() { setenv(kWaitPercentVariable, "2", 1), TakeWaitPercentFromEnvironment(); }
        ~ShortWaits() { setenv(kWaitPercentVariable, "100", 1), TakeWaitPercentFromEnvironment(); }
    } shortWaits;
    std::promise<bool> held;
    std::promise<void> release;
    std::thread other([&] {  // another thread stands for another program: the lock is not shared with it
        const FolderLock lock(dir.Path());
        held.set_value(lock.Held());
        release.get_future().wait();
    });
    ASSERT_TRUE(held.get_future().get());
    Start();
    release.set_value();
    other.join();
    EXPECT_EQ(view.syncDialogs, 0);
    EXPECT_FALSE(view.controls.connect);
    EXPECT_EQ(std::count(view.user.messages.begin(), view.user.messages.end(), IDS_ENTRIES_UNREADABLE_CAPTION), 1);
}

TEST_F(MainWindowController, UtilitySettingsApplyTheModeAndAreWritten) {
    CUtilityDlg& w = Start();
    w.OnCommand(kCmdSignalButton);
    UtilitySettings changed = utility;
    changed.antDispOneshot = 0;
    changed.solvaneMode = 7;  // never taken from the dialog
    view.utilityAnswer = changed;
    w.OnCommand(kCmdUtilitySettings);
    EXPECT_EQ(utility.antDispOneshot, 0);
    EXPECT_EQ(utility.solvaneMode, 0);
    EXPECT_EQ(view.signalTexts.buttonTextId, IDS_SIGNAL_BUTTON_CONTINUOUS_STOP);
    EXPECT_EQ(view.timers, (std::map<int, int>{{kTimerSignal, 5000}}));
    EXPECT_EQ(settings.ReadUtility().antDispOneshot, 0);
    view.utilityAnswer.reset();  // Cancel: nothing written
    utility.autoStart = 0;
    w.OnCommand(kCmdUtilitySettings);
    EXPECT_EQ(settings.ReadUtility().autoStart, 1);
}

TEST_F(MainWindowController, CardInsertedWhileSuspendingIsHandledOnceAtResume) {
    port = std::string();
    CUtilityDlg& w = Start();
    w.OnSuspend();
    w.OnDeviceNotice(CardNotice::Arrived);
    EXPECT_TRUE(w.ArrivalPending());
    EXPECT_EQ(lookups, 0);
    w.OnResume();
    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(w.State(), kCardReady);
    EXPECT_FALSE(w.Suspended());
}

}  // namespace
}  // namespace vr31k
