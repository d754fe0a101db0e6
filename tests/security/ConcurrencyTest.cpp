// Commands run side by side on one data folder: read-modify-write under the folder's
// lock, so every change that reports success is there; a history made by two commands at
// once; and a folder lock another user keeps, which delays commands, never hangs them.
#include "support/CtlCommands.h"
#include "support/ProcessRun.h"
#include "CardSimulator.h"
#include "common/DataFolder.h"
#include "common/SettingsStore.h"
#include "dialup/EntryList.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vr31k;
using namespace vr31k::test;

namespace {

struct Parallel {
    std::vector<pid_t> pids;
    std::vector<std::string> outputs;
    void Start(const std::vector<std::string>& argv, const std::string& out, const std::vector<std::string>& env = {}) {
        pids.push_back(StartProgram(nullptr, argv, env, out));
        outputs.push_back(out);
    }
    // Every exit status, in the order started.
    std::vector<int> Wait() {
        std::vector<int> statuses;
        for (pid_t pid : pids) statuses.push_back(WaitChild(pid, std::chrono::seconds(60)).value_or(-1));
        return statuses;
    }
};

std::vector<std::string> Ctl(const std::string& data, std::vector<std::string> words) {
    words.insert(words.begin(), {CtlPath(), "--json", "--data-dir", data});
    return words;
}

size_t FilesStartingWith(const std::string& folder, const std::string& prefix) {
    size_t n = 0;
    DIR* dir = opendir(folder.c_str());
    while (const dirent* e = dir != nullptr ? readdir(dir) : nullptr) n += std::string(e->d_name).rfind(prefix, 0) == 0;
    if (dir != nullptr) closedir(dir);
    return n;
}

// Two settings commands changing different keys of one file, side by side.
TEST(ParallelWriters, SettingsChangesOfDifferentKeysAllLand) {
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        TempDir data;
        Parallel p;
        p.Start(Ctl(data.Path(), {"settings", "set-utility", "--oneshot-time", "33"}), data.File("a"));
        p.Start(Ctl(data.Path(), {"plan", "set", "--packet-size", "777"}), data.File("b"));
        p.Start(Ctl(data.Path(), {"settings", "set-utility", "--auto-start", "0"}), data.File("c"));
        p.Start(Ctl(data.Path(), {"plan", "set", "--closing-day", "15"}), data.File("d"));
        EXPECT_EQ(p.Wait(), (std::vector<int>{0, 0, 0, 0}));
        const SettingsStore store(data.File("VR31KUTL.ini"));
        EXPECT_EQ(store.ReadUtility().antDispOneshotTime, 33);
        EXPECT_EQ(store.ReadUtility().autoStart, 0);
        EXPECT_EQ(store.ReadDialup().packetSize, 777);
        EXPECT_EQ(store.ReadDialup().chargeDay, 15);
    }
}

class ParallelEntries : public ::testing::Test {
protected:
    // The change that finds the card's port taken opens it again after a twentieth of
    // the pause, the other being done by then.
    const std::vector<std::string> kShortWaits = {"VR31K_WAIT_PERCENT=5"};
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(card.Start(error)) << error;
        ASSERT_EQ(RunProgram(nullptr, Entries({"add", "2", "apn.two", "--user", "u2"})).status, 0);
    }
    std::vector<std::string> Entries(std::vector<std::string> words) const {
        words.insert(words.begin(), {CtlPath(), "--json", "--data-dir", data.Path(), "--port", card.PortPath(), "entries"});
        return words;
    }
    std::string List() const { return RunProgram(nullptr, Entries({"list"})).out; }

    TempDir data;
    sim::CardSimulator card;
};

TEST_F(ParallelEntries, CredentialsOfDifferentPositionsBothLand) {
    for (int round = 0; round < 2; ++round) {
        const std::string a = "first" + std::to_string(round), b = "second" + std::to_string(round);
        Parallel p;
        p.Start(Entries({"credentials", "1", "--user", a}), data.File("a"), kShortWaits);
        p.Start(Entries({"credentials", "2", "--user", b}), data.File("b"), kShortWaits);
        EXPECT_EQ(p.Wait(), (std::vector<int>{0, 0})) << ReadFile(data.File("a")) << ReadFile(data.File("b"));
        const std::string list = List();
        EXPECT_NE(list.find("\"position\": 1, \"name\": \"" + std::string(kFactoryApn) + "\", \"user\": \"" + a),
                  std::string::npos)
            << list;
        EXPECT_NE(list.find("\"position\": 2, \"name\": \"apn.two\", \"user\": \"" + b), std::string::npos) << list;
    }
}

TEST_F(ParallelEntries, RenamesOfDifferentPositionsBothLandAndLaterChangesWork) {
    Parallel p;
    p.Start(Entries({"rename", "1", "apn.one.renamed"}), data.File("a"), kShortWaits);
    p.Start(Entries({"rename", "2", "apn.two.renamed"}), data.File("b"), kShortWaits);
    EXPECT_EQ(p.Wait(), (std::vector<int>{0, 0})) << ReadFile(data.File("a")) << ReadFile(data.File("b"));
    std::string list = List();
    EXPECT_NE(list.find("\"position\": 1, \"name\": \"apn.one.renamed\""), std::string::npos) << list;
    EXPECT_NE(list.find("\"position\": 2, \"name\": \"apn.two.renamed\", \"user\": \"u2\""), std::string::npos) << list;
    const RunResult r = RunProgram(nullptr, Entries({"add", "3", "apn.three"}));
    EXPECT_EQ(r.status, 0) << r.out << r.err;
}

// Two commands in a folder without a history: one creates it, the other waits for it;
// neither takes a file still being made for an unreadable one.
TEST(ParallelWriters, AHistoryMadeByManyCommandsAtOnceKeepsEveryRow) {
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        TempDir data;
        Parallel p;
        constexpr int kWriters = 6;
        for (int i = 0; i < kWriters; ++i) {
            p.Start(Ctl(data.Path(), {"history", "record", "--entry", "e" + std::to_string(i), "--end",
                                      "2026/01/02 03:04:05", "--duration-ms", "1000", "--sent", "1", "--recv", "1"}),
                    data.File("out" + std::to_string(i)));
        }
        EXPECT_EQ(p.Wait(), std::vector<int>(kWriters, 0));
        const std::string rows = RunProgram(nullptr, Ctl(data.Path(), {"history", "list"})).out;
        for (int i = 0; i < kWriters; ++i) {
            EXPECT_NE(rows.find("\"entry\": \"e" + std::to_string(i) + "\""), std::string::npos) << rows;
        }
        EXPECT_EQ(FilesStartingWith(data.Path(), "VR31KUTL.mdb.unreadable"), 0u);
    }
}

// Another member of the group keeps the folder's lock: commands that need it, side by
// side, give up after their wait (here a fiftieth of it) and say why, instead of waiting
// as long as the other wants.
TEST(LockWaits, AFolderLockAnotherUserKeepsIsReportedWithinSeconds) {
    VR31K_THROWAWAY_USER(other, kDataGroup);
    TempDir root;
    const std::string folder = MakeSharedFolder(root.Path());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = StartInChild(other.get(), [&] {
        const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0 || flock(fd, LOCK_EX) != 0) return 1;
        if (write(ready[1], "x", 1) != 1) return 1;
        pause();  // holds the lock until killed
        return 0;
    });
    close(ready[1]);
    char c = 0;
    const ssize_t got = read(ready[0], &c, 1);
    close(ready[0]);
    ASSERT_EQ(got, 1) << "the other user could not take the lock";
    const std::vector<std::vector<std::string>> commands = {
        {"entries", "list"}, {"settings", "set-utility", "--auto-start", "0"}, {"history", "list"}};
    const auto started = std::chrono::steady_clock::now();
    Parallel p;
    for (const auto& words : commands) p.Start(CtlArgv(folder, words), root.File(words[0]), {"VR31K_WAIT_PERCENT=2"});
    EXPECT_EQ(p.Wait(), std::vector<int>(commands.size(), 1));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
    for (const std::string& output : p.outputs) {
        const std::string told = ReadFile(output);
        EXPECT_NE(told.find("stayed locked by another program for 0.1 s"), std::string::npos) << told;
    }
    kill(holder, SIGKILL);
    WaitChild(holder, std::chrono::seconds(5));
}

}  // namespace
