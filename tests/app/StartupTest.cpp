// The start-up rules, driven with a scripted face: one instance per machine, the data
// folder, the AutoStart switch, guests and old systems refused.
#include "common/StringIds.h"
#include "app/CUtilityApp.h"
#include "app/CUtilityCommandLineInfo.h"
#include "app/GuestCheck.h"
#include "platform/InstanceChannel.h"
#include "platform/InstanceLock.h"
#include "support/ScriptedUi.h"
#include "support/StartupFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vr31k;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;

namespace {

using ScriptedUi = test::ScriptedAppUi;

using StartupTest = vr31k::test::StartupFixture;

// The folder named by VR31K_DATA_DIR is the user's own: made private, never shared.
TEST_F(StartupTest, FirstStartCreatesAPrivateDataFolderAndTheWindow) {
    ScriptedUi ui;
    CUtilityApp app(Env());
    ASSERT_TRUE(app.InitInstance(ui));
    EXPECT_EQ(ui.windowsCreated, 1);
    EXPECT_TRUE(ui.boxes.messages.empty());
    struct stat st {};
    ASSERT_EQ(stat(dataFolder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(app.Paths().settings, dataFolder + "/VR31KUTL.ini");
    EXPECT_EQ(app.Paths().history, dataFolder + "/VR31KUTL.mdb");
    EXPECT_EQ(app.Paths().phonebook, dataFolder + "/VR31KUTL.pbk");
    EXPECT_EQ(app.Paths().credentials, dataFolder + "/VR31KUTL.dat");
    EXPECT_NE(access(app.Paths().settings.c_str(), F_OK), 0) << "reading must not create the file";
}

// The dial-up service's idea of the card: the modem device it would dial on.
std::string CardModemPort(CUtilityApp& app) {
    std::vector<DialDevice> devices;
    app.Shared().Dialup().EnumDevices(devices);
    for (const DialDevice& device : devices) {
        if (device.name.rfind(kCardModemName, 0) == 0) return device.port;
    }
    return {};
}

// The card's port is PortName's, with no lookup: a character device of root's, as a
// card's tty is, or a link to it, used as the device it leads to (pppd must dial on it;
// without it the window's dial would fail with 633). A simulated card for one session:
// VR31K_PORT names its port. An existing folder and the settings file stay as they were.
TEST_F(StartupTest, ThePortComesFromPortNameOrTheEnvironment) {
    const std::string link = dataRoot.File("card-link");
    ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);
    mkdir(dataFolder.c_str(), 0750);
    const struct {
        std::string settings;
        const char* variable;  // VR31K_PORT
        std::string port;  // the one used, and the one the dial-up service dials on
    } cases[] = {
        {"[UTL_CONFIG]\nPortName=/dev/null\nIconizedStart=1\n", nullptr, "/dev/null"},
        {"[UTL_CONFIG]\nPortName=" + link + "\n", nullptr, "/dev/null"},
        {"[UTL_CONFIG]\nPortName=/dev/ttyACM7\n", "/tmp/simulated-card", "/tmp/simulated-card"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        WriteFile(dataFolder + "/VR31KUTL.ini", c.settings);
        StartupEnvironment env = Env();
        if (c.variable != nullptr) {
            setenv("VR31K_PORT", c.variable, 1);
            env.port = StartupEnvironment::FromProcess(0, nullptr).port;
            unsetenv("VR31K_PORT");
        }
        ScriptedUi ui;
        CUtilityApp app(env);
        ASSERT_TRUE(app.InitInstance(ui));
        EXPECT_EQ(app.PortName(), c.port);
        EXPECT_EQ(CardModemPort(app), c.port);
        EXPECT_EQ(app.Utility().iconizedStart, c.settings.find("IconizedStart=1") != std::string::npos ? 1 : 0);
        struct stat st {};
        stat(dataFolder.c_str(), &st);
        EXPECT_EQ(st.st_mode & 0777, 0750u);
        EXPECT_EQ(vr31k::test::ReadFile(dataFolder + "/VR31KUTL.ini"), c.settings);
        app.ExitInstance();
    }
}

TEST_F(StartupTest, AutoStartSwitch) {
    mkdir(dataFolder.c_str(), 0755);
    WriteFile(dataFolder + "/VR31KUTL.ini", "[UTL_CONFIG]\nAutoStart=0\n");
    for (const char* sw : {"/AutoStart", "-AutoStart"}) {
        ScriptedUi ui;
        CUtilityApp app(Env({sw}));
        EXPECT_FALSE(app.InitInstance(ui)) << sw;
        EXPECT_TRUE(ui.boxes.messages.empty());
        EXPECT_EQ(ui.windowsCreated, 0);
    }
    {
        ScriptedUi ui;  // another letter case is not the switch
        CUtilityApp app(Env({"/autostart"}));
        EXPECT_TRUE(app.InitInstance(ui));
        EXPECT_FALSE(app.AutoStartLaunch());
    }
    WriteFile(dataFolder + "/VR31KUTL.ini", "[UTL_CONFIG]\nAutoStart=1\n");
    ScriptedUi ui;
    CUtilityApp app(Env({"/AutoStart"}));
    EXPECT_TRUE(app.InitInstance(ui));
    EXPECT_TRUE(app.AutoStartLaunch());
}

// A start from the menu has no terminal: what start-up could not do is told in a box as
// well, once (the files of a folder that cannot be used fail with it, unsaid), and the
// start goes on.
TEST_F(StartupTest, WhatStartUpCouldNotUseIsToldInOneBoxEach) {
    struct Case {
        const char* name;
        std::function<void(const TempDir& root, std::string& folder)> arrange;
        std::vector<int> texts;
    } cases[] = {
        {"a folder that cannot be made",
         [](const TempDir& root, std::string& folder) {
             WriteFile(root.File("file"), "x");
             folder = root.File("file") + "/data";
         },
         {ids::IDS_FOLDER_FAILED_TEXT}},
        {"a folder open to everyone",
         [](const TempDir&, std::string& folder) {
             mkdir(folder.c_str(), 0700);
             chmod(folder.c_str(), 0777);
         },
         {ids::IDS_FOLDER_OPEN_TEXT}},
        {"an unreadable history and a PortName of no device",
         [](const TempDir&, std::string& folder) {
             mkdir(folder.c_str(), 0700);
             WriteFile(folder + "/VR31KUTL.mdb", std::string(4096, 'x'));
             WriteFile(folder + "/VR31KUTL.ini", "[UTL_CONFIG]\nPortName=" + folder + "/VR31KUTL.mdb\n");
         },
         {ids::IDS_HISTORY_MOVED_ASIDE_TEXT, ids::IDS_PORTNAME_DISTRUSTED_TEXT}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir fresh;
        dataFolder = fresh.File("data");
        c.arrange(fresh, dataFolder);
        ScriptedUi ui;
        CUtilityApp app(Env());
        EXPECT_TRUE(app.InitInstance(ui));
        EXPECT_EQ(ui.windowsCreated, 1);
        std::vector<int> texts;
        for (const auto& box : ui.boxes.shown) texts.push_back(box.text);
        EXPECT_EQ(texts, c.texts);
        app.ExitInstance();
    }
}

TEST_F(StartupTest, GuestsAndOldSystemsAreRefused) {
    const struct {
        const char* what;
        std::function<void(StartupEnvironment&)> arrange;
        int caption, text;
    } cases[] = {
        {"a guest", [](auto& env) { env.user = UserIdentity{"bob", std::vector<std::string>{"staff", "GUESTS"}}; },
         ids::IDS_GUEST_CAPTION, ids::IDS_GUEST_TEXT},
        {"an old system", [](auto& env) { env.os = OsVersionRecord{OsPlatform::NT, 4, 0, ""}; }, ids::IDS_OS_CAPTION,
         ids::IDS_OS_TEXT},
    };
    for (const auto& c : cases) {
        StartupEnvironment env = Env();
        c.arrange(env);
        ScriptedUi ui;
        CUtilityApp app(env);
        EXPECT_FALSE(app.InitInstance(ui)) << c.what;
        ASSERT_EQ(ui.boxes.shown.size(), 1u) << c.what;
        EXPECT_EQ(ui.boxes.shown[0].caption, c.caption) << c.what;
        EXPECT_EQ(ui.boxes.shown[0].text, c.text) << c.what;
    }
}

TEST_F(StartupTest, SecondStartRestoresTheFirstAndLeavesSilently) {
    ScriptedUi firstUi;
    CUtilityApp first(Env());
    ASSERT_TRUE(first.InitInstance(firstUi));
    InstanceServer server;
    ASSERT_TRUE(server.Listen(first.InstanceSocketPath()));

    ScriptedUi secondUi;
    CUtilityApp second(Env());
    EXPECT_FALSE(second.InitInstance(secondUi));
    EXPECT_TRUE(secondUi.boxes.messages.empty());
    EXPECT_EQ(secondUi.windowsCreated, 0);
    const auto messages = server.TakeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], (InstanceMessage{kMsgTrayNotify, 1, kMouseLeftButtonUp}));
}

TEST_F(StartupTest, UnreachableRunningInstanceIsAnotherUsers) {
    ScriptedUi firstUi;
    CUtilityApp first(Env());
    ASSERT_TRUE(first.InitInstance(firstUi));  // no socket: its window cannot be reached
    ScriptedUi secondUi;
    CUtilityApp second(Env());
    EXPECT_FALSE(second.InitInstance(secondUi));
    ASSERT_EQ(secondUi.boxes.shown.size(), 1u);
    EXPECT_EQ(secondUi.boxes.shown[0].caption, ids::IDS_MULTIUSER_CAPTION);
    EXPECT_EQ(secondUi.boxes.shown[0].text, ids::IDS_MULTIUSER_TEXT);

    // A lock whose holder record names another user.
    first.ExitInstance();
    InstanceLock other(lockDir.Path());
    ASSERT_EQ(other.Acquire(std::chrono::milliseconds(0)), InstanceLockResult::First);
    WriteFile(other.LockPath(), "1 " + std::to_string(getuid() + 1) + "\n");
    other.FinishStartup();
    InstanceLock probe(lockDir.Path());
    EXPECT_EQ(probe.Acquire(std::chrono::milliseconds(1000)), InstanceLockResult::RunningOtherUser);
}

TEST_F(StartupTest, StaleLockOfACrashedInstanceDoesNotBlock) {
    const pid_t child = fork();
    if (child == 0) {
        InstanceLock lock(lockDir.Path());
        _exit(lock.Acquire(std::chrono::milliseconds(0)) == InstanceLockResult::First ? 0 : 1);
        // exits holding the lock: the kernel drops it, as for a crash
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ScriptedUi ui;
    CUtilityApp app(Env());
    EXPECT_TRUE(app.InitInstance(ui));
    EXPECT_TRUE(ui.boxes.messages.empty());
}

TEST_F(StartupTest, SecondStartWaitsForTheFirstToFinishStarting) {
    ScriptedUi firstUi;
    firstUi.readyAtOnce = false;  // window not ready yet
    CUtilityApp first(Env());
    ASSERT_TRUE(first.InitInstance(firstUi));
    InstanceServer server;
    ASSERT_TRUE(server.Listen(first.InstanceSocketPath()));

    const auto started = std::chrono::steady_clock::now();
    std::thread finisher([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        first.MainWindowReady();
    });
    ScriptedUi secondUi;
    CUtilityApp second(Env());
    EXPECT_FALSE(second.InitInstance(secondUi));
    finisher.join();
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(250));
    EXPECT_TRUE(secondUi.boxes.messages.empty());
    EXPECT_EQ(server.TakeMessages().size(), 1u);
}

// A start-up lock kept too long (a hung start, or one squatting it) ends the wait with
// a reason naming the lock and its holder, and a failing exit status, not silently.
TEST_F(StartupTest, WaitForAStuckStartIsBoundedAndSaysWhy) {
    ScriptedUi firstUi;
    firstUi.readyAtOnce = false;
    CUtilityApp first(Env());
    ASSERT_TRUE(first.InitInstance(firstUi));
    StartupEnvironment env = Env();
    env.startupWait = std::chrono::milliseconds(200);
    ScriptedUi secondUi;
    CUtilityApp second(env);
    EXPECT_FALSE(second.InitInstance(secondUi));
    ASSERT_EQ(secondUi.boxes.shown.size(), 1u) << "said in a box too, for a start from the menu";
    EXPECT_EQ(secondUi.boxes.shown[0].text, ids::IDS_STARTUP_LOCK_TIMEOUT_TEXT);
    EXPECT_EQ(second.ExitStatus(), 1);
    EXPECT_NE(second.StopReason().find("(process " + std::to_string(getpid()) + " of user " +
                                       std::to_string(getuid()) + ") kept the start-up lock " + lockDir.Path()),
              std::string::npos)
        << second.StopReason();
    EXPECT_EQ(StartupEnvironment().startupWait, std::chrono::seconds(10)) << "a few seconds, not a minute";
}

// Many starts at once: exactly one becomes the instance, every other one waits for its
// window and finds it running.
TEST_F(StartupTest, SimultaneousStartsYieldOneInstance) {
    constexpr int kStarts = 6;
    int results[2];
    ASSERT_EQ(pipe(results), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < kStarts; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            InstanceLock lock(lockDir.Path());
            const InstanceLockResult result = lock.Acquire(std::chrono::milliseconds(5000));
            const char code = static_cast<char>('0' + static_cast<int>(result));
            if (result == InstanceLockResult::First) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));  // "creating the window"
                lock.FinishStartup();
                [[maybe_unused]] auto w = write(results[1], &code, 1);
                std::this_thread::sleep_for(std::chrono::milliseconds(800));  // running
            } else {
                [[maybe_unused]] auto w = write(results[1], &code, 1);
            }
            _exit(0);
        }
        children.push_back(child);
    }
    close(results[1]);
    std::string codes;
    char c;
    while (read(results[0], &c, 1) == 1) codes += c;
    close(results[0]);
    for (pid_t child : children) waitpid(child, nullptr, 0);
    ASSERT_EQ(codes.size(), static_cast<size_t>(kStarts));
    const char first = static_cast<char>('0' + static_cast<int>(InstanceLockResult::First));
    const char same = static_cast<char>('0' + static_cast<int>(InstanceLockResult::RunningSameUser));
    EXPECT_EQ(std::count(codes.begin(), codes.end(), first), 1) << codes;
    EXPECT_EQ(std::count(codes.begin(), codes.end(), same), kStarts - 1) << codes;
}

// The socket is the user's own state: in a shared lock folder (sticky, open to all) any
// user could take its name first, so it goes to the user's runtime folder instead.
TEST(InstanceLockSocket, LivesInTheRuntimeFolderUnlessTheLockFolderIsTheUsersOwn) {
    TempDir own;  // 0700, this user's
    TempDir shared;
    chmod(shared.Path().c_str(), 01777);
    TempDir runtime;
    const char* previous = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    EXPECT_EQ(InstanceLock(own.Path()).OwnSocketPath(), InstanceLock(own.Path()).SocketPathFor(getuid()));
    EXPECT_EQ(InstanceLock(shared.Path()).OwnSocketPath(), runtime.Path() + "/vr31k-utility.sock");
    if (previous != nullptr) setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else unsetenv("XDG_RUNTIME_DIR");
}

// The start-up lock is open to every user, so its holder record may be stale or forged:
// the message names only the process the kernel says holds the lock.
TEST(InstanceLockHolder, TheStartupHolderNamedIsTheOneHoldingTheLock) {
    TempDir dir;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        InstanceLock lock(dir.Path());
        const bool held = lock.Acquire(std::chrono::milliseconds(0)) == InstanceLockResult::First;
        WriteFile(lock.StartupLockPath(), "1 12345\n");  // forged: init, of another user
        [[maybe_unused]] const ssize_t w = write(ready[1], held ? "1" : "0", 1);
        pause();
        _exit(0);
    }
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, '1');
    InstanceLock probe(dir.Path());
    EXPECT_EQ(probe.Acquire(std::chrono::milliseconds(50)), InstanceLockResult::TimedOut);
    EXPECT_EQ(probe.StartupHolder(),
              "process " + std::to_string(holder) + " of user " + std::to_string(getuid()));
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
}

TEST(InstanceMessage, ParsesOnlyWellFormedLines) {
    EXPECT_EQ(ParseInstanceMessage("0x8064 1 0x202"), (InstanceMessage{0x8064, 1, 0x202}));
    EXPECT_EQ(ParseInstanceMessage(FormatInstanceMessage({0x8067, 0, 0})), (InstanceMessage{0x8067, 0, 0}));
    for (const char* bad : {"", "0x8064 1", "0x8064 1 0x202 9", "hello 1 2", "0x18064 1 2"}) {
        EXPECT_EQ(ParseInstanceMessage(bad), std::nullopt) << bad;
    }
}

TEST(CommandLine, OnlyTheExactAutoStartSwitchCounts) {
    const auto parse = [](std::vector<std::string> args) {
        CUtilityCommandLineInfo info;
        info.Parse(args);
        return info.AutoStartLaunch();
    };
    const std::pair<std::vector<std::string>, bool> cases[] = {
        {{"/AutoStart"}, true}, {{"-AutoStart"}, true}, {{"file.txt", "/x", "-AutoStart", "--other"}, true},
        {{}, false}, {{"/autostart"}, false}, {{"-AUTOSTART"}, false}, {{"AutoStart"}, false},
        {{"--AutoStart"}, false}, {{"/AutoStart=1"}, false},
    };
    for (const auto& [args, counts] : cases) EXPECT_EQ(parse(args), counts) << (args.empty() ? "" : args.back());
}

TEST(GuestCheck, NameOrGroupMakesAGuest) {
    using Groups = std::vector<std::string>;
    EXPECT_TRUE(IsGuestUser({"guest", Groups{}}));
    EXPECT_TRUE(IsGuestUser({"GUEST", std::nullopt}));
    EXPECT_TRUE(IsGuestUser({"alice", Groups{"users", "Guests"}}));
    EXPECT_FALSE(IsGuestUser({"alice", Groups{"users", "guest", "guestsx"}}));
    EXPECT_FALSE(IsGuestUser({"alice", std::nullopt}));          // failed group query
    EXPECT_FALSE(IsGuestUser({std::nullopt, Groups{"guests"}}));  // no name: check skipped
    EXPECT_FALSE(IsGuestUser({"guests", Groups{}}));
}

}  // namespace
