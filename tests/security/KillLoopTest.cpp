// Commands killed with SIGKILL at random points, in loops of a few seconds each: every
// change a command reported is there afterwards, every file reads, and an entry change
// leaves the old or the new entry with its credentials, never neither.
#include "support/ProcessRun.h"
#include "CardSimulator.h"
#include "common/SettingsStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <set>
#include <thread>

using namespace vr31k;
using namespace vr31k::test;

namespace {

constexpr auto kLoop = std::chrono::seconds(4);

// Runs `argv`, killing it after `delay` unless it ended first; its exit status, or
// nullopt when it was killed.
std::optional<int> RunOrKill(const std::vector<std::string>& argv, std::chrono::microseconds delay) {
    const pid_t pid = StartProgram(nullptr, argv);
    if (auto done = WaitChild(pid, std::chrono::duration_cast<std::chrono::milliseconds>(delay))) return done;
    kill(pid, SIGKILL);
    const auto status = WaitChild(pid, std::chrono::seconds(10));
    return status == 128 + SIGKILL ? std::nullopt : status;
}

// The kill delays reach up to twice what one command takes here uncut, so on any
// machine, loaded or not, some commands are cut and some finish.
std::uniform_int_distribution<int> DelaysFor(const std::vector<std::string>& argv) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunOrKill(argv, std::chrono::seconds(60)), 0);
    const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    return std::uniform_int_distribution<int>(0, static_cast<int>(2 * took.count()));
}

size_t Leftovers(const std::string& folder, const std::string& prefix) {
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder)) n += e.path().filename().string().rfind(prefix, 0) == 0;
    return n;
}

TEST(KillLoop, SettingsAndHistoryKeepEveryReportedChange) {
    TempDir data;
    const auto ctl = [&](std::vector<std::string> words) {
        words.insert(words.begin(), {CtlPath(), "--json", "--data-dir", data.Path()});
        return words;
    };
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayUs = DelaysFor(ctl({"history", "record", "--entry", "uncut", "--end",
                                                               "2026/01/02 03:04:05", "--duration-ms", "1000",
                                                               "--sent", "10", "--recv", "20"}));
    // Per key: the values of the commands started since its last reported success
    // (that one included): the file must hold one of them.
    std::vector<int> oneshot = {10}, packet = {128};
    std::vector<std::string> recorded = {"uncut"};
    int runs = 0, killed = 0;
    const auto end = std::chrono::steady_clock::now() + kLoop;
    for (int n = 0; std::chrono::steady_clock::now() < end; ++n) {
        const std::chrono::microseconds delay(delayUs(random));
        std::optional<int> status;
        switch (n % 3) {
        case 0: {
            const int value = 10 + n % 50;
            oneshot.push_back(value);
            status = RunOrKill(ctl({"settings", "set-utility", "--oneshot-time", std::to_string(value)}), delay);
            if (status == 0) oneshot = {value};
            break;
        }
        case 1: {
            const int value = 100 + n;
            packet.push_back(value);
            status = RunOrKill(ctl({"plan", "set", "--packet-size", std::to_string(value)}), delay);
            if (status == 0) packet = {value};
            break;
        }
        default: {
            const std::string entry = "run" + std::to_string(n);
            status = RunOrKill(ctl({"history", "record", "--entry", entry, "--end", "2026/01/02 03:04:05",
                                    "--duration-ms", "1000", "--sent", "10", "--recv", "20"}),
                               delay);
            if (status == 0) recorded.push_back(entry);
            break;
        }
        }
        EXPECT_TRUE(!status || *status == 0) << "run " << n << " failed with " << *status;
        killed += !status;
        ++runs;
    }
    EXPECT_GT(killed, 0) << "no command was cut";
    EXPECT_GT(recorded.size(), 1u) << "no history command ran to its end";
    const SettingsStore store(data.File("VR31KUTL.ini"));
    EXPECT_EQ(store.ReadProblem(), "");
    const int oneshotNow = store.ReadUtility().antDispOneshotTime;
    const int packetNow = store.ReadDialup().packetSize;
    EXPECT_NE(std::find(oneshot.begin(), oneshot.end(), oneshotNow), oneshot.end()) << oneshotNow;
    EXPECT_NE(std::find(packet.begin(), packet.end(), packetNow), packet.end()) << packetNow;
    const RunResult list = RunProgram(nullptr, ctl({"history", "list"}));
    ASSERT_EQ(list.status, 0) << list.err;
    for (const auto& entry : recorded) EXPECT_NE(list.out.find("\"" + entry + "\""), std::string::npos) << entry;
    EXPECT_EQ(Leftovers(data.Path(), "VR31KUTL.mdb.unreadable"), 0u);
    // One more write clears what killed writers left.
    ASSERT_EQ(RunProgram(nullptr, ctl({"settings", "set-utility", "--oneshot-time", "20"})).status, 0);
    EXPECT_EQ(Leftovers(data.Path(), ".VR31KUTL.ini."), 0u);
    std::cout << runs << " runs, " << recorded.size() << " recorded\n";
}

TEST(KillLoop, ARenameKilledAnywhereLeavesTheOldOrTheNewEntryWithItsCredentials) {
    sim::CardSimulator card;
    std::string error;
    ASSERT_TRUE(card.Start(error)) << error;
    TempDir data;
    const auto entries = [&](std::vector<std::string> words) {
        words.insert(words.begin(), {CtlPath(), "--json", "--data-dir", data.Path(), "--port", card.PortPath(), "entries"});
        return words;
    };
    ASSERT_EQ(RunProgram(nullptr, entries({"add", "2", "apn.a", "--user", "keep-me"})).status, 0);
    std::mt19937 random(54321);
    std::uniform_int_distribution<int> delayUs = DelaysFor(entries({"rename", "2", "apn.b"}));
    std::string name = "apn.b";
    int killed = 0, runs = 0;
    const auto end = std::chrono::steady_clock::now() + kLoop;
    while (std::chrono::steady_clock::now() < end) {
        const std::string next = name == "apn.a" ? "apn.b" : "apn.a";
        const auto status = RunOrKill(entries({"rename", "2", next}), std::chrono::microseconds(delayUs(random)));
        killed += !status;
        ++runs;
        const RunResult list = RunProgram(nullptr, entries({"list"}));
        ASSERT_EQ(list.status, 0) << list.out << list.err;
        const bool old = list.out.find("{\"position\": 2, \"name\": \"" + name + "\", \"user\": \"keep-me\"") != std::string::npos;
        const bool renamed =
            list.out.find("{\"position\": 2, \"name\": \"" + next + "\", \"user\": \"keep-me\"") != std::string::npos;
        ASSERT_TRUE(old || renamed) << (status ? "finished" : "killed") << ": " << list.out;
        if (status == 0) {
            EXPECT_TRUE(renamed) << "a rename that reported success: " << list.out;
        }
        if (renamed) name = next;
        // A kill between the card and the files leaves the card out of step: the user's
        // synchronisation brings it back, as the utility would offer.
        RunProgram(nullptr, entries({"sync", "to-card"}));
    }
    EXPECT_GT(killed, 0) << "no rename was cut";
    EXPECT_LT(killed, runs) << "no rename ran to its end";
    std::cout << runs << " renames, " << killed << " killed\n";
}

}  // namespace
