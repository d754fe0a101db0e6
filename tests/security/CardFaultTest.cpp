// A card that falls silent, floods or is pulled in the middle of a task fails the task with the
// communication error at once: after one command went unanswered through all its
// attempts, the others are not tried in turn. (Counted in commands, not seconds: the
// machine's load must not decide the verdict; the time is for the benchmarks.)
#include "support/CtlCommands.h"
#include "support/ProcessRun.h"
#include "CardSimulator.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>

using namespace vr31k;
using namespace vr31k::test;

namespace {

TEST(CardFaults, ASilentFloodingOrPulledCardFailsTheTaskAfterOneUnansweredCommand) {
    struct Row {
        const char* fault;
        std::function<void(sim::CardSimulator&, size_t)> after;
    } rows[] = {
        {"silent", [](auto& card, size_t n) { card.FaultAfter(n, sim::Fault::Silent); }},
        {"flooding", [](auto& card, size_t n) { card.FaultAfter(n, sim::Fault::Flood); }},
        {"pulled", [](auto& card, size_t n) { card.UnplugAfter(n); }},
    };
    // The card check's six commands are answered; the fault meets the first of the
    // information queries, with more of them still to come.
    constexpr size_t kCheckCommands = 6;
    // The three cards side by side (the programs end before their cards), every wait of
    // their tasks at a tenth.
    TempDir data;
    std::vector<std::unique_ptr<sim::CardSimulator>> cards;
    std::vector<std::future<RunResult>> results;
    for (const Row& row : rows) {
        sim::CardSimulator& card = *cards.emplace_back(std::make_unique<sim::CardSimulator>());
        std::string error;
        ASSERT_TRUE(card.Start(error)) << error;
        row.after(card, kCheckCommands);
        const auto argv = CtlArgv(data.File(row.fault), {"--json", "--port", card.PortPath(), "card", "info"});
        results.push_back(std::async(std::launch::async, [argv] {
            return RunProgram(nullptr, argv, {"VR31K_WAIT_PERCENT=10"}, std::chrono::seconds(90));
        }));
    }
    for (size_t i = 0; i < results.size(); ++i) {
        SCOPED_TRACE(rows[i].fault);
        const RunResult r = results[i].get();
        const size_t commands = cards[i]->Commands().size();
        EXPECT_EQ(r.status, 1) << r.out << r.err;
        EXPECT_NE(r.out.find("195"), std::string::npos) << "the communication error: " << r.out;
        EXPECT_GE(commands, kCheckCommands) << "the check was answered";
        // The first unanswered command with its attempts and passes (a silent card
        // still hears them: at most 3 × 3), and none of the queries after it.
        EXPECT_LE(commands, kCheckCommands + 9) << r.out;
    }
}

}  // namespace
