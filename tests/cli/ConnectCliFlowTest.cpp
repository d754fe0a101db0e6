// `vr31kctl connect` runs on the main window's controller, on the simulated link in a
// private network namespace: one scripted connection through the window and through
// connect + disconnect leaves the same history row; a link left up by a dialler that
// no program holds is watched as an outside connection, hung up and recorded.
#include "CardSimulator.h"
#include "support/CtlCommands.h"
#include "support/PollUntil.h"
#include "support/PrivateNetns.h"
#include "support/ProcessRun.h"
#include "accounting/EntryCredentialStore.h"
#include "platform/linux/LinuxDialupService.h"
#include "cli/CliCommand.h"
#include "common/StringIds.h"
#include "support/SamplePlan.h"
#include "support/SimulatedSession.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/mount.h>
#include <thread>

namespace vr31k {
namespace {

using namespace std::chrono_literals;
using test::ReadFile;
using test::RunResult;

// One burst each way: small enough that the free allowance covers it, so the charge
// is the plan's base fee whatever the kernel adds on its own (ICMP, IPv6).
constexpr int64_t kBurst = 8192;

std::vector<HistoryRow> Rows(const std::string& folder) {
    CDbHistoryCtrl history;
    std::vector<HistoryRow> rows;
    if (history.OpenHistory(folder + "/VR31KUTL.mdb", std::string(kPassPhrase)) != kDbOk) return rows;
    history.ForEachRow([&](const HistoryRow& row) { return rows.push_back(row), true; });
    history.CloseHistory();
    return rows;
}

// A child of the test, reaped as soon as it ends (a zombie would look alive to a
// hang-up) and killed if the test ends first.
class ReapedChild {
public:
    explicit ReapedChild(pid_t started)
        : pid(started), m_reaper([this] {
              m_status = test::WaitChild(pid, 120s).value_or(-1);
              m_ended = true;
          }) {}
    ~ReapedChild() {
        if (!m_ended) kill(pid, SIGKILL);
        m_reaper.join();
    }
    std::optional<int> Wait(std::chrono::milliseconds limit) const {
        if (!test::PollUntil([&] { return m_ended.load(); }, limit)) return std::nullopt;
        return m_status.load();
    }

    const pid_t pid;

private:
    std::atomic<bool> m_ended{false};
    std::atomic<int> m_status{-1};
    std::thread m_reaper;
};

class ConnectCliFlow : public ::testing::Test {
protected:
    void Begin() {
        std::string error;
        ASSERT_TRUE(simulator.Start(error)) << error;
        setenv("VR31K_SIMLINK_BURST", std::to_string(kBurst).c_str(), 1);
    }
    std::vector<std::string> Argv(const std::string& folder, const std::vector<std::string>& words) const {
        std::vector<std::string> argv = {"--json", "--port", simulator.PortPath()};
        argv.insert(argv.end(), words.begin(), words.end());
        return test::CtlArgv(folder, argv);
    }
    std::vector<std::string> Env() const {
        return {"VR31K_DIAL_LINK=simulated", "VR31K_SIMLINK=" SIMLINK, "VR31K_SIMLINK_BURST=" + std::to_string(kBurst),
                "XDG_RUNTIME_DIR=" + runtime.Path()};
    }
    RunResult Ctl(const std::string& folder, const std::vector<std::string>& words) const {
        return test::RunProgram(nullptr, Argv(folder, words), Env());
    }
    pid_t StartConnect(const std::string& folder, const std::vector<std::string>& more = {}) const {
        std::vector<std::string> words = {"connect"};
        words.insert(words.end(), more.begin(), more.end());
        return test::StartProgram(nullptr, Argv(folder, words), Env(), dir.File("connect.out"));
    }
    // The link a running connect dialled: the simulated dialler, its child.
    static std::vector<pid_t> Links(pid_t connect) {
        std::vector<pid_t> links;
        for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(connect) + "/task")) {
            std::ifstream children(task.path() / "children");
            for (pid_t pid; children >> pid;) links.push_back(pid);
        }
        return links;
    }
    // The figures a running connect shows, once they hold `text`.
    std::string StatusWith(const std::string& folder, const std::string& text) const {
        std::string out;
        test::PollUntil([&] { return (out = Ctl(folder, {"status"}).out).find(text) != std::string::npos; });
        return out;
    }
    static int64_t Figure(const std::string& json, const std::string& key) {
        const auto at = json.find("\"" + key + "\": ");
        return at == std::string::npos ? -1 : std::stoll(json.substr(at + key.size() + 4));
    }

    test::TempDir dir;
    test::TempDir runtime;
    sim::CardSimulator simulator;
};

TEST_F(ConnectCliFlow, WindowAndCommandLineRecordTheSameRow) {
    VR31K_IN_PRIVATE_NETNS();
    Begin();
    DialupSettings plan = test::FreeAllowancePlan();
    plan.entryIndex = 0;
    const std::string windowFolder = dir.File("window"), cliFolder = dir.File("cli");
    for (const auto& folder : {windowFolder, cliFolder}) {
        std::filesystem::create_directory(folder);
        SettingsStore(folder + "/VR31KUTL.ini").WriteDialup(plan);
    }

    // Through the window: connect from the tray, one burst, hang up.
    {
        test::SimulatedSession w(windowFolder, SIMLINK);
        std::string error;
        ASSERT_TRUE(w.Prepare(error)) << error;
        w.Charge().Plan() = plan;
        w.Charge().DerivePlan();
        w.Charge().RecomputePeriod();
        w.Start();
        ASSERT_TRUE(w.Connect());
        std::vector<ConnectionInfo> links;
        w.Dialup().EnumConnections(links);
        ASSERT_EQ(links.size(), 1u);
        kill(links[0].pid, SIGUSR1);
        ASSERT_TRUE(test::PollUntil([&] {
            w.Window().OnTimer(kTimerConnection);
            return w.Charge().Live().recv >= kBurst;
        }));
        w.view.user.answers = {true};
        w.Window().OnCommand(kCmdTrayConnect);
        ASSERT_TRUE(w.view.Pump([&] { return Rows(windowFolder).size() == 1; }));
    }

    // Through the command line: connect, one burst, disconnect.
    const ReapedChild connect(StartConnect(cliFolder));
    const std::string up = StatusWith(cliFolder, "\"state\": \"connected\"");
    ASSERT_NE(up.find("\"state\": \"connected\""), std::string::npos) << ReadFile(dir.File("connect.out"));
    EXPECT_NE(up.find("\"saved\": \""), std::string::npos) << "the running connection is on disk: " << up;
    const std::vector<pid_t> links = Links(connect.pid);
    ASSERT_EQ(links.size(), 1u);
    kill(links[0], SIGUSR1);
    ASSERT_TRUE(test::PollUntil([&] { return Figure(Ctl(cliFolder, {"status"}).out, "recv") >= kBurst; }));
    const RunResult down = Ctl(cliFolder, {"disconnect"});
    EXPECT_EQ(down.status, 0) << down.out << down.err;
    EXPECT_EQ(connect.Wait(20s), 0);
    const std::string out = ReadFile(dir.File("connect.out"));
    EXPECT_NE(out.find("\"recorded\": true"), std::string::npos) << out;

    const auto windowRows = Rows(windowFolder), cliRows = Rows(cliFolder);
    ASSERT_EQ(windowRows.size(), 1u);
    ASSERT_EQ(cliRows.size(), 1u) << out;
    const HistoryRow& w = windowRows[0];
    const HistoryRow& c = cliRows[0];
    EXPECT_EQ(c.entry, w.entry);
    EXPECT_EQ(c.entry, kFactoryApn);
    EXPECT_EQ(c.recv, w.recv) << "the bytes the link received are the burst's alone";
    EXPECT_GE(c.recv, kBurst);
    EXPECT_GE(c.sent, kBurst);
    EXPECT_GE(w.sent, kBurst);
    EXPECT_EQ(c.charge, w.charge);
    EXPECT_EQ(c.charge, std::optional<int32_t>(1000)) << "the free allowance's fee";
    EXPECT_EQ(c.leftFree.has_value(), w.leftFree.has_value());
    EXPECT_EQ(c.leftLimit.has_value(), w.leftLimit.has_value());
    for (const HistoryRow* row : {&w, &c}) {
        EXPECT_TRUE(row->start.IsValid() && row->end.IsValid());
        EXPECT_LE(row->start.value, row->end.value);
    }
}

// The user's limit on the command line: a connect is hung up at it and recorded; the
// next one refuses with exit status 3 and dials nothing; --over-limit takes a size
// (a bad one is refused before anything is dialled) and moves the hang-up past it.
TEST_F(ConnectCliFlow, ConnectStopsAtTheLimitAndRefusesUnlessAllowedPastIt) {
    VR31K_IN_PRIVATE_NETNS();
    Begin();
    const std::string folder = dir.File("limit");
    std::filesystem::create_directory(folder);
    DialupSettings plan = test::FreeAllowancePlan();
    plan.entryIndex = 0;
    const SettingsStore store(folder + "/VR31KUTL.ini");
    store.WriteDialup(plan);
    ASSERT_EQ(store.ChangeLimit([](LimitSettings& limit) {
        limit.kind = kLimitBytes;
        limit.bytes = 3 * kBurst;
        return true;
    }), 0);
    // Bursts into the running connect's link until it ends (it must, at the limit).
    std::string shown;  // what `status` said while connected
    const auto runToTheEnd = [&](const std::vector<std::string>& more) {
        const ReapedChild connect(StartConnect(folder, more));
        shown = StatusWith(folder, "\"state\": \"connected\"");
        std::optional<int> status;
        for (int i = 0; i < 20 && !(status = connect.Wait(300ms)); ++i) {
            for (const pid_t link : Links(connect.pid)) kill(link, SIGUSR1);
        }
        return std::make_pair(status, ReadFile(dir.File("connect.out")));
    };
    const auto [first, out] = runToTheEnd({});
    EXPECT_EQ(first, 0) << out;
    EXPECT_NE(shown.find("\"pace_line\": "), std::string::npos) << shown;
    EXPECT_NE(out.find(std::to_string(ids::IDS_LIMIT_REACHED_CAPTION)), std::string::npos) << "its box" << out;
    ASSERT_EQ(Rows(folder).size(), 1u);

    const struct {
        std::vector<std::string> words;
        int status;
        const char* error;
    } refused[] = {
        {{"connect"}, cli::kExitLimitReached, "\"limit-reached\""},
        {{"connect", "--over-limit", "12x"}, cli::kExitFailed, "\"invalid-value\""},
    };
    for (const auto& r : refused) {
        const RunResult run = Ctl(folder, r.words);
        EXPECT_EQ(run.status, r.status) << run.out << run.err;
        EXPECT_NE(run.out.find(r.error), std::string::npos) << run.out;
    }
    EXPECT_EQ(Rows(folder).size(), 1u) << "nothing was dialled";

    const auto [allowed, outPast] = runToTheEnd({"--over-limit", std::to_string(4 * kBurst)});
    EXPECT_EQ(allowed, 0) << outPast;
    const auto rows = Rows(folder);
    ASSERT_EQ(rows.size(), 2u) << outPast;
    EXPECT_GE(rows[1].sent + rows[1].recv, 2 * kBurst) << "it ran past the limit";
}

// A dialler started by hand over the card (the simulated link with no controller, its
// pid file where pppd writes one): connect watches it, disconnect hangs it up, and it
// is recorded under the dialler's name. The data folder does not exist before.
TEST_F(ConnectCliFlow, WatchesALinkNoProgramHoldsHangsItUpAndRecordsIt) {
    VR31K_IN_PRIVATE_NETNS();
    Begin();
    // pppd's pid files live in /run: the namespace gets a /run of its own.
    if (mount("tmpfs", "/run", "tmpfs", 0, "mode=0755") != 0) GTEST_SKIP() << "no private /run: " << std::strerror(errno);
    test::WriteFile(dir.File("options"), simulator.PortPath() + "\n");
    test::WriteFile(dir.File("chat"), "TIMEOUT 10 \"\" \"ATD*99***1#\" CONNECT \"\"\n");
    const ReapedChild link(
        test::StartProgram(nullptr, {SIMLINK, "--options", dir.File("options"), "--chat", dir.File("chat")}, {},
                           dir.File("link.out")));
    std::string name;
    ASSERT_TRUE(test::PollUntil([&] {
        const std::string log = ReadFile(dir.File("link.out"));
        const auto at = log.find("Using interface ");
        if (at == std::string::npos || log.find("remote IP address") == std::string::npos) return false;
        name = log.substr(at + 16, log.find('\n', at) - at - 16);
        return true;
    })) << ReadFile(dir.File("link.out"));
    test::WriteFile("/run/" + name + ".pid", std::to_string(link.pid) + "\n");

    const std::string folder = dir.File("new-folder");
    const ReapedChild connect(StartConnect(folder));
    const std::string watched = StatusWith(folder, "\"outside\": true");
    EXPECT_NE(watched.find("\"entry\": \"" + name + "\""), std::string::npos) << watched << ReadFile(dir.File("connect.out"));
    const RunResult down = Ctl(folder, {"disconnect"});
    EXPECT_EQ(down.status, 0) << down.out << down.err;
    EXPECT_EQ(connect.Wait(20s), 0);
    EXPECT_TRUE(link.Wait(10s).has_value()) << "the dialler was ended";

    const std::string out = ReadFile(dir.File("connect.out"));
    EXPECT_NE(out.find("watching it as an outside connection"), std::string::npos) << out;
    EXPECT_NE(out.find(name + "  00:00:0"), std::string::npos) << "its figures tick\n" << out;
    EXPECT_NE(out.find("\"outside\": true"), std::string::npos) << out;
    const auto rows = Rows(folder);
    ASSERT_EQ(rows.size(), 1u) << out;
    EXPECT_EQ(rows[0].entry, name);
}

}  // namespace
}  // namespace vr31k
