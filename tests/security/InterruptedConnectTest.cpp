// `vr31kctl connect` interrupted as people and programs interrupt it, on the simulated
// link (run inside a private network namespace, so its TUN interface stays there):
// a parent that reaps it only later, a closed terminal, a kill.
#include "support/ProcessRun.h"
#include "CardSimulator.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace vr31k;
using namespace vr31k::test;

namespace {

class LinkedConnect : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(card.Start(error)) << error;
    }
    std::vector<std::string> Argv(const std::vector<std::string>& words) const {
        std::vector<std::string> argv = {CtlPath(), "--json", "--data-dir", data.Path(), "--port", card.PortPath()};
        argv.insert(argv.end(), words.begin(), words.end());
        return argv;
    }
    static std::vector<std::string> Env() { return {"VR31K_DIAL_LINK=simulated", "VR31K_SIMLINK=" SIMLINK}; }
    RunResult Ctl(const std::vector<std::string>& words) const { return RunProgram(nullptr, Argv(words), Env()); }
    pid_t StartConnect() const { return StartProgram(nullptr, Argv({"connect"}), Env(), data.File("connect.out")); }
    bool WaitConnected() const {
        for (int i = 0; i < 200; ++i) {
            if (Ctl({"status"}).out.find("\"state\": \"connected\"") != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    size_t HistoryRows() const {
        const std::string out = Ctl({"history", "list"}).out;
        size_t rows = 0;
        for (size_t at = out.find("\"entry\""); at != std::string::npos; at = out.find("\"entry\"", at + 1)) ++rows;
        return rows;
    }

    TempDir data;
    sim::CardSimulator card;
};

// A connect ended from outside: a program that runs it as its child, later runs
// disconnect, and only then waits for its child (the connect has ended, and disconnect
// says so although it is not reaped); or its terminal closed (hung up and recorded as
// for Ctrl-C).
TEST_F(LinkedConnect, AConnectEndedFromOutsideHangsUpAndRecords) {
    for (const bool terminalClosed : {false, true}) {
        SCOPED_TRACE(terminalClosed ? "its terminal closed" : "disconnect before its parent reaps it");
        const pid_t connect = StartConnect();
        ASSERT_TRUE(WaitConnected()) << ReadFile(data.File("connect.out"));
        if (terminalClosed) {
            kill(connect, SIGHUP);
        } else {
            const auto started = std::chrono::steady_clock::now();
            const RunResult r = Ctl({"disconnect"});
            EXPECT_EQ(r.status, 0) << r.out << r.err;
            EXPECT_NE(r.out.find("\"ok\": true"), std::string::npos) << r.out;
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
        }
        EXPECT_EQ(WaitChild(connect, std::chrono::seconds(20)), 0) << ReadFile(data.File("connect.out"));
        EXPECT_EQ(HistoryRows(), terminalClosed ? 2u : 1u);
        EXPECT_EQ(Ctl({"status"}).status, 1);
    }
}

// connect killed outright: the simulated link it started does not outlive it.
TEST_F(LinkedConnect, TheSimulatedLinkEndsWithItsController) {
    const pid_t connect = StartConnect();
    ASSERT_TRUE(WaitConnected()) << ReadFile(data.File("connect.out"));
    std::vector<pid_t> links;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(connect) + "/task")) {
        std::ifstream children(task.path() / "children");
        for (pid_t pid; children >> pid;) links.push_back(pid);
    }
    ASSERT_EQ(links.size(), 1u) << "the link is connect's one child";
    kill(connect, SIGKILL);
    WaitChild(connect, std::chrono::seconds(5));
    bool gone = false;
    for (int i = 0; i < 300 && !gone; ++i) {
        gone = !ProcessRunning(links[0]);
        if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(gone) << "the link " << links[0] << " outlived its controller";
    if (!gone) kill(links[0], SIGKILL);
}

}  // namespace
