// Power and session-end notices against a mock logind on a private system bus, the end
// signals, and the real program's use of both.
#include "gui/PowerEvents.h"
#include "gui/SignalWatcher.h"
#include "MockLogind.h"
#include "support/TempDir.h"

#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace vr31k;
using vr31k::test::Inhibitor;
using vr31k::test::MockLogind;
using vr31k::test::TempDir;
using vr31k::test::WaitFor;

namespace {

#define START_MOCK(mock)                                          \
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

// What the code under test writes on stderr meanwhile.
class StderrCapture {
public:
    StderrCapture() : m_file(std::tmpfile()), m_saved(dup(STDERR_FILENO)) {
        std::fflush(stderr);
        dup2(fileno(m_file), STDERR_FILENO);
    }
    ~StderrCapture() { Restore(); std::fclose(m_file); }
    std::string Text() {
        Restore();
        std::string text;
        std::rewind(m_file);
        for (int c; (c = std::fgetc(m_file)) != EOF;) text += static_cast<char>(c);
        return text;
    }

private:
    void Restore() {
        if (m_saved < 0) return;
        std::fflush(stderr);
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        m_saved = -1;
    }
    std::FILE* m_file;
    int m_saved;
};

int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

TEST(PowerEvents, HoldsTheDelayLockWhileRunning) {
    MockLogind mock;
    START_MOCK(mock);
    {
        PowerEvents power(mock.Connect());
        EXPECT_TRUE(power.IsAvailable());
        EXPECT_TRUE(WaitFor([&] { return HoldsDelay(mock); }));
    }
    EXPECT_TRUE(WaitFor([&] { return mock.Inhibitors().empty(); })) << "the lock outlived its owner";
}

TEST(PowerEvents, SleepRunsTheSuspendStepsBeforeLettingLogindGoOn) {
    MockLogind mock;
    START_MOCK(mock);
    PowerEvents power(mock.Connect());
    ASSERT_TRUE(WaitFor([&] { return HoldsDelay(mock); }));
    QSignalSpy asleep(&power, &PowerEvents::aboutToSleep);
    QSignalSpy awake(&power, &PowerEvents::resumed);
    bool heldDuringSteps = false;
    QObject::connect(&power, &PowerEvents::aboutToSleep,
                     [&] { heldDuringSteps = power.HoldsSleepDelay() && HoldsDelay(mock); });

    ASSERT_TRUE(mock.EmitPrepareForSleep(true));
    ASSERT_TRUE(asleep.wait(5000));
    EXPECT_TRUE(heldDuringSteps) << "logind was let go on before the suspend steps ran";
    EXPECT_FALSE(power.HoldsSleepDelay());
    EXPECT_TRUE(WaitFor([&] { return !HoldsDelay(mock); })) << "the delay lock keeps the machine awake";
    EXPECT_EQ(awake.count(), 0);

    ASSERT_TRUE(mock.EmitPrepareForSleep(false));
    ASSERT_TRUE(awake.wait(5000));
    EXPECT_TRUE(WaitFor([&] { return HoldsDelay(mock); })) << "the next sleep would not wait";
    EXPECT_EQ(asleep.count(), 1);
}

TEST(PowerEvents, RefusalHoldsABlockLockWithItsReason) {
    MockLogind mock;
    START_MOCK(mock);
    const QDBusConnection bus = mock.Connect();
    PowerEvents power(bus);
    power.SetSleepRefusal(QStringLiteral("カード"));
    Settle(mock, bus);
    EXPECT_TRUE(BlockReasonsAre(mock, {"カード"}));
    power.SetSleepRefusal(QStringLiteral("カード"));
    power.SetSleepRefusal(QStringLiteral("設定"));
    Settle(mock, bus);
    EXPECT_TRUE(BlockReasonsAre(mock, {"設定"})) << "one lock, with the newest reason";
    power.SetSleepRefusal(std::nullopt);
    EXPECT_TRUE(BlockReasonsAre(mock, {}));
    EXPECT_TRUE(HoldsDelay(mock));
}

TEST(PowerEvents, ARefusalClearedBeforeLogindAnswersLeavesNoLock) {
    MockLogind mock;
    START_MOCK(mock);
    const QDBusConnection bus = mock.Connect();
    PowerEvents power(bus);
    power.SetSleepRefusal(QStringLiteral("x"));
    power.SetSleepRefusal(std::nullopt);
    // Asked through the same connection, the answer comes after logind granted the lock.
    EXPECT_EQ(Reasons(mock.Inhibitors(bus), "block"), std::vector<QString>{"x"});
    EXPECT_TRUE(BlockReasonsAre(mock, {})) << "the late grant was kept";
}

TEST(PowerEvents, ShutdownEndsTheSessionOnce) {
    MockLogind mock;
    START_MOCK(mock);
    PowerEvents power(mock.Connect());
    ASSERT_TRUE(WaitFor([&] { return HoldsDelay(mock); }));
    QSignalSpy ending(&power, &PowerEvents::sessionEnding);

    ASSERT_TRUE(mock.EmitPrepareForShutdown(true));
    ASSERT_TRUE(ending.wait(5000));
    EXPECT_TRUE(WaitFor([&] { return !HoldsDelay(mock); })) << "the shutdown waits for us";
    power.EndSession();
    ASSERT_TRUE(mock.EmitPrepareForShutdown(false));
    EXPECT_TRUE(WaitFor([&] { return HoldsDelay(mock); })) << "a called-off shutdown leaves sleep unguarded";
    ASSERT_TRUE(mock.EmitPrepareForShutdown(true));
    ASSERT_TRUE(WaitFor([&] { return !HoldsDelay(mock); }));
    EXPECT_EQ(ending.count(), 1);
}

TEST(PowerEvents, WithoutLogindTheUtilityRunsOnAndSaysSoOnce) {
    struct Case {
        const char* name;
        bool bus;
        const char* said;
    };
    for (const Case& c : {Case{"no system bus", false, "no system D-Bus"},
                          Case{"bus without logind", true, "systemd-logind is not running"}}) {
        SCOPED_TRACE(c.name);
        MockLogind mock(false);
        START_MOCK(mock);
        StderrCapture captured;
        std::optional<PowerEvents> power;
        if (c.bus) {
            power.emplace(mock.Connect());
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
        const std::string text = captured.Text();
        EXPECT_EQ(Count(text, "vr31k-utility:"), 1) << text;
        EXPECT_EQ(Count(text, c.said), 1) << text;
    }
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

// The real program: it takes the delay lock, and a shutdown followed by the end signal
// ends its session once and the program normally.
TEST(UtilityProgram, EndsItsSessionOnceOnShutdownAndSighup) {
    struct Case {
        const char* name;
        bool logind;
    };
    for (const Case& c : {Case{"with logind", true}, Case{"without a system bus", false}}) {
        SCOPED_TRACE(c.name);
        MockLogind mock(c.logind);
        START_MOCK(mock);
        TempDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VR31K_LOCK_DIR", QString::fromStdString(dir.Path()));
        env.insert("VR31K_DATA_DIR", QString::fromStdString(dir.File("data")));
        env.insert("QT_LOGGING_RULES", "vr31k.*.info=true");
        env.insert("DBUS_SYSTEM_BUS_ADDRESS",
                   c.logind ? mock.Address() : QString::fromStdString("unix:path=" + dir.File("none")));
        QProcess utility;
        utility.setProcessEnvironment(env);
        utility.setProcessChannelMode(QProcess::MergedChannels);
        utility.start(VR31K_UTILITY_BIN, {});
        QByteArray output;
        const auto said = [&](const char* line) {
            output += utility.readAll();
            return output.contains(line);
        };
        ASSERT_TRUE(WaitFor([&] { return said("main window ready"); }, 20000)) << output.toStdString();
        if (c.logind) {
            ASSERT_TRUE(WaitFor([&] { return HoldsDelay(mock); }));
            ASSERT_TRUE(mock.EmitPrepareForShutdown(true));
            ASSERT_TRUE(WaitFor([&] { return said("session ending"); })) << output.toStdString();
        } else {
            EXPECT_TRUE(WaitFor([&] { return said("no system D-Bus"); })) << output.toStdString();
        }
        kill(static_cast<pid_t>(utility.processId()), SIGHUP);
        ASSERT_TRUE(utility.waitForFinished(10000));
        output += utility.readAll();
        EXPECT_EQ(utility.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(utility.exitCode(), 0);
        EXPECT_EQ(output.count("session ending"), 1) << output.toStdString();
        EXPECT_LE(output.count("vr31k-utility:"), 1) << output.toStdString();
    }
}

}  // namespace
