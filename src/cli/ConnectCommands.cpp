// vr31kctl connect [NAME] | disconnect | status
// connect runs the main window's connect path without dialogs (ConnectRun): the card
// check, the entry check, the signal level, the dial with its progress, then the
// one-second tick until the user ends it (Ctrl-C, or `vr31kctl disconnect`) or the line
// is lost; the connection is recorded in the history either way.
#include "accounting/UsageLimit.h"
#include "cli/ConnectRun.h"
#include "cli/ConnectionStatus.h"
#include "cli/RunningUtility.h"
#include "common/StringIds.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>
#include <ostream>
#include <thread>
#include <unistd.h>

namespace vr31k::cli {

namespace {

constexpr std::string_view kConnectHelp =
    "usage: vr31kctl [--json] [--data-dir DIR] [--port PORT] connect [--over-limit SIZE] [NAME]\n"
    "       vr31kctl [--json] [--data-dir DIR] disconnect\n"
    "       vr31kctl [--json] [--data-dir DIR] status\n"
    "\n"
    "connect     dials the entry NAME (default: the current entry) as the utility does:\n"
    "            card check, entry check against the card, signal level (0 refuses the\n"
    "            dial), then the dial with its progress. While connected it prints the\n"
    "            connection's figures every second; Ctrl-C, `vr31kctl disconnect` or a\n"
    "            closed terminal (SIGHUP) hangs up. The connection is recorded in the\n"
    "            history when it ends, also when the line is lost. With --json the\n"
    "            figures go to stderr and the result is one JSON object on stdout.\n"
    "            A connection over the card that is already up and held by no program\n"
    "            (a dialler left behind, or one started by hand) is watched instead of\n"
    "            dialling beside it: hung up and recorded the same way.\n"
    "            While the period has reached the limit of `vr31kctl plan set-limit`,\n"
    "            connect refuses (exit status 3) unless --over-limit SIZE (bytes, or with\n"
    "            k, M, G or T) lets this connection run that much past the limit, where\n"
    "            it is hung up as at the limit.\n"
    "disconnect  hangs up the connection a running `connect` holds, and waits for it\n"
    "status      the live figures of the connection a running `connect` holds, or of a\n"
    "            link left up over the card (shown as an outside connection)\n"
    "\n"
    "When the utility runs in this session on the same data folder, the three commands ask\n"
    "it instead (its window shows the connection, whichever started it); the socket and\n"
    "its requests are described in docs/interface.md.\n"
    "\n"
    "Dialling needs pppd and the rights described in docs/dialup.md; on machines without\n"
    "kernel PPP, VR31K_DIAL_LINK=simulated selects the simulated link.\n";

constexpr auto kPoll = std::chrono::milliseconds(100);
// After the hang-up, how long the disconnection notice may take.
constexpr auto kGoneWait = std::chrono::seconds(15);

// Ctrl-C, `disconnect` and a closed terminal: each one asks for the hang-up.
std::atomic<int> g_hangUpRequests{0};
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
extern "C" void OnStopSignal(int) { g_hangUpRequests.fetch_add(1); }

// The figures a running connect of this user wrote (JSON on the first line, the same
// for people after it), while it holds its lock.
bool ReadRunningStatus(const ConnectionStatus& connection, long& pid, std::string& json, std::string& text) {
    return connection.Running() && connection.Read(pid, json, text);
}

int RunConnect(CliContext& context, CliArgs& args) {
    const auto overText = args.Option("--over-limit");
    const auto name = args.Next();
    args.Finish();
    std::optional<int64_t> overLimit;
    if (overText) {
        const LimitFieldCheck size = CheckLimitBytes(*overText);
        if (!size.ok) return context.Fail(ids::IDS_LIMIT_RANGE_CAPTION, "invalid-value", "--over-limit: " + size.text);
        overLimit = size.value;
    }
    if (const auto asked = AskRunningUtility(context, {RemoteVerb::Connect, name.value_or("")})) return *asked;
    g_hangUpRequests = 0;
    // Ctrl-C, `disconnect` (SIGTERM) and a closed terminal (SIGHUP) ask for the hang-up
    // and the record instead of ending the process; the previous handlers come back
    // afterwards.
    struct StopSignals {
        StopSignals() {
            struct sigaction action {};
            action.sa_handler = OnStopSignal;
            for (size_t i = 0; i < std::size(kStopSignals); ++i) sigaction(kStopSignals[i], &action, &old[i]);
        }
        ~StopSignals() {
            for (size_t i = 0; i < std::size(kStopSignals); ++i) sigaction(kStopSignals[i], &old[i], nullptr);
        }
        struct sigaction old[std::size(kStopSignals)] {};
    } signals;
    ConnectRun run(context, name, overLimit, g_hangUpRequests);
    return run.Run();
}

int RunStatus(CliContext& context, CliArgs& args) {
    args.Finish();
    if (const auto asked = AskRunningUtility(context, {RemoteVerb::Status, {}})) return *asked;
    long pid = 0;
    std::string json, text;
    const ConnectionStatus connection(context.Paths().folder);
    if (!ReadRunningStatus(connection, pid, json, text)) {
        return context.Fail(RAS_ERR_NOT_CONNECTED, "not-connected", "no connection in progress");
    }
    context.Out() << (context.JsonOutput() ? json + "\n" : text);
    return kExitOk;
}

int RunDisconnect(CliContext& context, CliArgs& args) {
    args.Finish();
    if (const auto asked = AskRunningUtility(context, {RemoteVerb::Disconnect, {}})) return *asked;
    long pid = 0;
    std::string json, text;
    const ConnectionStatus connection(context.Paths().folder);
    if (!ReadRunningStatus(connection, pid, json, text)) {
        return context.Fail(RAS_ERR_NOT_CONNECTED, "not-connected", "no connection in progress");
    }
    if (kill(static_cast<pid_t>(pid), SIGTERM) != 0) {
        return context.Fail(errno, "not-allowed",
                            "cannot end the connection of process " + std::to_string(pid) + ": " + std::strerror(errno));
    }
    // Wait until the connecting process has hung up, recorded the connection and ended:
    // its lock goes with it (also while its parent has not reaped it yet).
    const auto deadline = std::chrono::steady_clock::now() + kGoneWait + std::chrono::seconds(5);
    while (connection.Running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kPoll);
    }
    const bool gone = !connection.Running();
    Json result = Json::MakeObject();
    result.Set("ok", gone).Set("pid", pid);
    return gone ? context.Print(result) : context.PrintFailed(result);
}

}  // namespace

const CommandGroup& ConnectCommands() {
    static const CommandGroup group{"connect", "dial an entry and stay connected until told to hang up", kConnectHelp,
                                    RunConnect};
    return group;
}
const CommandGroup& DisconnectCommands() {
    static const CommandGroup group{"disconnect", "hang up the connection of a running connect", kConnectHelp,
                                    RunDisconnect};
    return group;
}
const CommandGroup& StatusCommands() {
    static const CommandGroup group{"status", "the live figures of the connection in progress", kConnectHelp, RunStatus};
    return group;
}

}  // namespace vr31k::cli
