// Power and session-end notices against a mock logind on a private system bus, the end
// signals, and the real program's use of both.
#include "gui/PowerEvents.h"
#include "gui/SignalWatcher.h"
#include "MockLogind.h"
#include "UtilityProcess.h"
#include "WaitFor.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <csignal>

using namespace vr31k;
using vr31k::test::Inhibitor;
using vr31k::test::MockLogind;
using vr31k::test::TempDir;
using vr31k::test::UtilityProcess;
using vr31k::test::WaitFor;

namespace {

// Skips the test where the tools are missing; fails it where they would not start.
#define START_MOCK(mock)                                                    \
    if (!(mock).SkipReason().empty()) GTEST_SKIP() << (mock).SkipReason(); \
    ASSERT_EQ((mock).Error(), "")

std::vector<QString> Reasons(const std::vector<Inhibitor>& locks, const QString& mode) {
    std::vector<QString> reasons;
    for (const Inhibitor& lock : locks)
        if (lock.mode == mode) reasons.push_back(lock.why);
    return reasons;
}

bool HoldsDelay(MockLogind& mock) {
    for (const Inhibitor& lock : mock.Inhibitors())
        if (lock.mode == "delay" && lock.what == "sleep:shutdown" && lock.who == "VR31K Utility") return true;
    return false;
}

// Returns once the replies to every call `bus` made so far have been handled here: the
// mock answers one connection's calls in order.
void Settle(MockLogind& mock, const QDBusConnection& bus) {
    mock.Inhibitors(bus);
    QCoreApplication::processEvents();
}

bool BlockReasonsAre(MockLogind& mock, const std::vector<QString>& expected) {
    return WaitFor([&] { return Reasons(mock.Inhibitors(), "block") == expected; });
}

// The utility's power handling on a private bus with a mock logind, once it holds its
// delay lock.
class PowerEventsOnLogind : public ::testing::Test {
protected:
    void SetUp() override {
        START_MOCK(mock);
        power.emplace(bus);
        ASSERT_TRUE(power->IsAvailable());
        // Held on both sides: logind lists it, and its reply has reached us.
        ASSERT_TRUE(WaitFor([&] { return HoldsDelay(mock) && power->HoldsSleepDelay(); }));
    }

    MockLogind mock;
    const QDBusConnection bus = mock.Connect();
    std::optional<PowerEvents> power;
};

TEST_F(PowerEventsOnLogind, TheDelayLockGoesWithItsOwner) {
    power.reset();
    EXPECT_TRUE(WaitFor([&] { return mock.Inhibitors().empty(); })) << "the lock outlived its owner";
}

TEST_F(PowerEventsOnLogind, SleepRunsTheSuspendStepsBeforeLettingLogindGoOn) {
    QSignalSpy asleep(&*power, &PowerEvents::aboutToSleep);
    QSignalSpy awake(&*power, &PowerEvents::resumed);
    bool heldDuringSteps = false;
    QObject::connect(&*power, &PowerEvents::aboutToSleep,
                     [&] { heldDuringSteps = power->HoldsSleepDelay() && HoldsDelay(mock); });

    ASSERT_TRUE(mock.EmitPrepareForSleep(true));
    ASSERT_TRUE(asleep.wait(5000));
    EXPECT_TRUE(heldDuringSteps) << "logind was let go on before the suspend steps ran";
    EXPECT_FALSE(power->HoldsSleepDelay());
    EXPECT_TRUE(WaitFor([&] { return !HoldsDelay(mock); })) << "the delay lock keeps the machine awake";
    EXPECT_EQ(awake.count(), 0);

    ASSERT_TRUE(mock.EmitPrepareForSleep(false));
    ASSERT_TRUE(awake.wait(5000));
    EXPECT_TRUE(WaitFor([&] { return HoldsDelay(mock); })) << "the next sleep would not wait";
    EXPECT_EQ(asleep.count(), 1);
}

// One block lock with the newest reason; a refusal cleared before logind answered leaves none.
TEST_F(PowerEventsOnLogind, RefusalHoldsABlockLockWithItsReason) {
    power->SetSleepRefusal(QStringLiteral("x"));
    power->SetSleepRefusal(std::nullopt);
    // Asked through the same connection, the answer comes after logind granted the lock.
    EXPECT_EQ(Reasons(mock.Inhibitors(bus), "block"), std::vector<QString>{"x"});
    EXPECT_TRUE(BlockReasonsAre(mock, {})) << "the late grant was kept";

    power->SetSleepRefusal(QStringLiteral("カード"));
    Settle(mock, bus);
    EXPECT_TRUE(BlockReasonsAre(mock, {"カード"}));
    power->SetSleepRefusal(QStringLiteral("カード"));
    power->SetSleepRefusal(QStringLiteral("設定"));
    Settle(mock, bus);
    EXPECT_TRUE(BlockReasonsAre(mock, {"設定"})) << "one lock, with the newest reason";
    power->SetSleepRefusal(std::nullopt);
    EXPECT_TRUE(BlockReasonsAre(mock, {}));
    EXPECT_TRUE(HoldsDelay(mock));
}

// One end per shutdown, however many ways it is announced; a shutdown called off and
// then made again ends the session again (a connection made in between is recorded).
TEST_F(PowerEventsOnLogind, ShutdownEndsTheSessionOnce) {
    QSignalSpy ending(&*power, &PowerEvents::sessionEnding);
    ASSERT_TRUE(mock.EmitPrepareForShutdown(true));
    ASSERT_TRUE(ending.wait(5000));
    EXPECT_TRUE(WaitFor([&] { return !HoldsDelay(mock); })) << "the shutdown waits for us";
    power->EndSession();
    EXPECT_EQ(ending.count(), 1);
    ASSERT_TRUE(mock.EmitPrepareForShutdown(false));
    EXPECT_TRUE(WaitFor([&] { return HoldsDelay(mock); })) << "a called-off shutdown leaves sleep unguarded";
    ASSERT_TRUE(mock.EmitPrepareForShutdown(true));
    ASSERT_TRUE(WaitFor([&] { return !HoldsDelay(mock); }));
    EXPECT_EQ(ending.count(), 2);
}

TEST(PowerEvents, WithoutLogindTheUtilityRunsOn) {
    struct Case {
        const char* name;
        bool bus;
    };
    for (const Case& c : {Case{"no system bus", false}, Case{"bus without logind", true}}) {
        SCOPED_TRACE(c.name);
        std::optional<MockLogind> bare;  // a bus with nobody on it
        if (c.bus) {
            bare.emplace(false);
            START_MOCK(*bare);
        }
        std::optional<PowerEvents> power;
        if (c.bus) {
            power.emplace(bare->Connect());
        } else {
            // The program's own path: the system bus named by the environment.
            const TempDir nowhere;
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", QByteArray("unix:path=") + nowhere.File("none").c_str());
            power.emplace();
            qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        }
        QSignalSpy ending(&*power, &PowerEvents::sessionEnding);
        EXPECT_FALSE(power->IsAvailable());
        power->SetSleepRefusal(QStringLiteral("x"));
        power->SetSleepRefusal(std::nullopt);
        power->EndSession();
        power->EndSession();
        EXPECT_EQ(ending.count(), 1);
    }
}

// logind is reached after a trial connection off this thread: a refusal set before is kept.
TEST(PowerEvents, ARefusalSetBeforeTheSystemBusAnsweredIsHeld) {
    MockLogind mock;
    START_MOCK(mock);
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", mock.Address().toUtf8());
    PowerEvents power;
    qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    power.SetSleepRefusal(QStringLiteral("カード"));
    EXPECT_TRUE(BlockReasonsAre(mock, {"カード"}));
    EXPECT_TRUE(WaitFor([&] { return HoldsDelay(mock); }));
}

TEST(SignalWatcher, DeliversEachEndSignalOnTheLoopAndRestoresTheOldHandlers) {
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        std::signal(signalNumber, SIG_IGN);
        {
            SignalWatcher watcher({signalNumber});
            ASSERT_TRUE(watcher.IsWatching());
            EXPECT_FALSE(SignalWatcher({SIGUSR1}).IsWatching()) << "one watcher per process";
            QSignalSpy received(&watcher, &SignalWatcher::received);
            std::raise(signalNumber);
            ASSERT_TRUE(received.wait(5000));
            EXPECT_EQ(received.at(0).at(0).toInt(), signalNumber);
        }
        struct sigaction now {};
        sigaction(signalNumber, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_IGN);
        std::signal(signalNumber, SIG_DFL);
    }
}

// The real program: it takes the delay lock, and a shutdown followed by an end signal ends
// its session once and the program normally. Its socket answers whatever the bus does.
TEST(UtilityProgram, EndsItsSessionOnceOnShutdownAndAnEndSignal) {
    enum class Bus { None, Logind, Silent };
    struct Case {
        const char* name;
        Bus bus;
        int endSignal;
        const char* told;  // the one line on stderr
    };
    for (const Case& c : {Case{"without a system bus", Bus::None, SIGHUP, "no system D-Bus"},
                          Case{"with logind", Bus::Logind, SIGHUP, nullptr},
                          Case{"a silent system bus", Bus::Silent, SIGTERM, "the system D-Bus did not answer"}}) {
        SCOPED_TRACE(c.name);
        std::optional<MockLogind> mock;
        if (c.bus != Bus::None) {
            mock.emplace(c.bus == Bus::Logind);
            START_MOCK(*mock);
            if (c.bus == Bus::Silent) mock->Freeze();
        }
        const TempDir nowhere;
        QProcessEnvironment env;
        env.insert("DBUS_SYSTEM_BUS_ADDRESS",
                   mock ? mock->Address() : QString::fromStdString("unix:path=" + nowhere.File("none")));
        UtilityProcess utility(env);
        utility.Start();
        ASSERT_TRUE(utility.WaitSaid("main window ready")) << utility.Output().toStdString();
        EXPECT_TRUE(utility.AnswersStatus()) << utility.Output().toStdString();
        if (c.bus == Bus::Logind) {
            ASSERT_TRUE(WaitFor([&] { return HoldsDelay(*mock); }));
            ASSERT_TRUE(mock->EmitPrepareForShutdown(true));
            ASSERT_TRUE(utility.WaitSaid("session ending", 5000)) << utility.Output().toStdString();
        } else {
            EXPECT_TRUE(utility.WaitSaid(c.told, 5000)) << utility.Output().toStdString();
        }
        EXPECT_TRUE(utility.EndsCleanlyOn(c.endSignal)) << utility.Output().toStdString();
        EXPECT_EQ(utility.Output().count("session ending"), 1) << utility.Output().toStdString();
        // Said once, and nothing else to complain about.
        EXPECT_EQ(utility.Output().count("vr31k-utility:"), c.told ? 1 : 0) << utility.Output().toStdString();
    }
}

// An end signal while a start-up box is still open (before the event loop runs) ends
// the program, instead of being lost to the loop that starts after the box.
TEST(UtilityProgram, EndsOnASignalThatComesWhileAStartUpBoxIsOpen) {
    const TempDir dir;
    test::WriteFile(dir.File("file"), "not a folder");
    QProcessEnvironment env;
    env.insert("VR31K_DATA_DIR", QString::fromStdString(dir.File("file") + "/data"));
    UtilityProcess utility(env);
    utility.Start();
    ASSERT_TRUE(utility.WaitSaid("message box 42046 shown")) << utility.Output().toStdString();
    EXPECT_TRUE(utility.EndsCleanlyOn(SIGTERM)) << utility.Output().toStdString();
}

}  // namespace
