// A card that falls silent or is pulled in the middle of a task fails the task with the
// communication error within seconds: after one command went unanswered through all its
// attempts, the others are not tried in turn.
#include "ProcessRun.h"
#include "CardSimulator.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace vr31k;
using namespace vr31k::test;

namespace {

TEST(CardFaults, ASilentOrPulledCardFailsTheTaskWithinFifteenSeconds) {
    struct Row {
        const char* fault;
        std::function<void(sim::CardSimulator&)> apply;
        std::vector<std::string> command;
        size_t after;  // command lines the card answers first
    } rows[] = {
        {"silent", [](auto& card) { card.SetFault(sim::Fault::Silent); }, {"card", "info"}, 6},
        {"pulled", [](auto& card) { card.Unplug(); }, {"card", "info"}, 6},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.fault) + " during " + row.command[1]);
        // Replies in bursts with pauses: the fault lands while the task is under way.
        sim::SimOptions options;
        options.fault = sim::Fault::Split;
        options.burstPauseMs = 100;
        sim::CardSimulator card(options);
        std::string error;
        ASSERT_TRUE(card.Start(error)) << error;
        std::atomic<bool> done{false};
        std::thread fault([&] {
            while (!done && card.Commands().size() < row.after) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (!done) row.apply(card);
        });
        TempDir data;
        std::vector<std::string> argv = {CtlPath(), "--json", "--data-dir", data.Path(), "--port", card.PortPath()};
        argv.insert(argv.end(), row.command.begin(), row.command.end());
        const auto started = std::chrono::steady_clock::now();
        const RunResult r = RunProgram(nullptr, argv, {}, std::chrono::seconds(90));
        const auto took = std::chrono::steady_clock::now() - started;
        done = true;
        fault.join();
        EXPECT_EQ(r.status, 1) << r.out << r.err;
        EXPECT_NE(r.out.find("195"), std::string::npos) << "the communication error: " << r.out;
        EXPECT_LT(took, std::chrono::seconds(15)) << r.out;
    }
}

}  // namespace
