// vr31kctl connect [NAME] | disconnect | status
// connect runs the utility's connect path without dialogs: the card check, the entry
// check, the signal level, the dial with its progress, then the one-second tick until
// the user ends it (Ctrl-C, or `vr31kctl disconnect`) or the line is lost; the
// connection is recorded in the history either way.
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "card/CardResults.h"
#include "cli/CardTask.h"
#include "cli/ChargeSession.h"
#include "cli/ConnectionEvents.h"
#include "cli/ConnectionStatus.h"
#include "cli/ReadableValues.h"
#include "cli/RunningUtility.h"
#include "dialup/ConnectionFigures.h"
#include "dialup/EntryCheck.h"

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
    "usage: vr31kctl [--json] [--data-dir DIR] [--port PORT] connect [NAME]\n"
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
    "disconnect  hangs up the connection a running `connect` holds, and waits for it\n"
    "status      the live figures of the connection a running `connect` holds\n"
    "\n"
    "Dialling needs pppd and the rights described in docs/dialup.md; on machines without\n"
    "kernel PPP, VR31K_DIAL_LINK=simulated selects the simulated link.\n";

constexpr auto kTick = std::chrono::milliseconds(1000);
constexpr auto kPoll = std::chrono::milliseconds(100);
// After the hang-up, how long the disconnection notice may take.
constexpr auto kGoneWait = std::chrono::seconds(15);

std::atomic<bool> g_stopRequested{false};
// Ctrl-C, `disconnect` and a closed terminal.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
extern "C" void OnStopSignal(int) { g_stopRequested = true; }

int ProgressTextId(uint32_t state) {
    switch (state) {
    case dialstate::kOpenPort: return ids::IDS_PROGRESS_OPEN_PORT;
    case dialstate::kConnectDevice: return ids::IDS_PROGRESS_CONNECT_DEVICE;
    case dialstate::kDeviceConnected: return ids::IDS_PROGRESS_DEVICE_CONNECTED;
    case dialstate::kAuthenticate: return ids::IDS_PROGRESS_AUTHENTICATE;
    case dialstate::kAuthenticated: return ids::IDS_PROGRESS_AUTHENTICATED;
    case dialstate::kConnected: return ids::IDS_PROGRESS_CONNECTED;
    default: return 0;
    }
}

class ConnectRun {
public:
    ConnectRun(CliContext& context, std::optional<std::string> name)
        : m_context(context), m_name(std::move(name)), m_session(context), m_status(context.Paths().folder) {}
    ~ConnectRun() { m_session.Charge().StopMonitor(); }

    int Run();

private:
    bool Prepare();
    int Fail(const std::string& name);
    // What people read while connected, and what `status` prints.
    Json Figures(const char* state);
    void Tick();
    void WriteStatus(const Json& figures);
    std::ostream& Say() { return m_context.JsonOutput() ? m_context.Err() : m_context.Out(); }
    // Waits (bounded) for the disconnection notice after a hang-up.
    void WaitUntilGone();
    int Finish(bool lineLost);

    CliContext& m_context;
    std::optional<std::string> m_name;
    CChargeSession m_session;
    CardTask m_card{m_context};
    ConnectionEvents m_events;
    std::string m_entry;
    std::string m_reason;  // why it stopped, when no message box says it
    bool m_connected = false;
    ConnectionStatus m_status;
};

int ConnectRun::Fail(const std::string& name) {
    Json result = Json::MakeObject();
    result.Set("ok", false).Set("error", name);
    SetMessages(result, m_card.ui.Boxes());
    // A box's text is already among the messages people read.
    if (!m_reason.empty()) result.Set("message", m_reason);
    else if (!m_card.ui.LastText().empty()) result.Set("message", Json::JsonOnly(m_card.ui.LastText()));
    if (!m_context.JsonOutput() && !m_reason.empty()) m_context.Err() << "vr31kctl: " << m_reason << '\n';
    return m_context.PrintFailed(result);
}

// The connect command up to the dial: as the main window's connect path.
bool ConnectRun::Prepare() {
    CRasChargeCtrl& charge = m_session.Charge();
    const int solvane = SolvaneMode(m_context);
    m_session.Shared().UseCardPort(m_card.port, solvane);
    charge.EnsurePhonebook();
    EntryList names;
    if (const int listed = charge.ListEntries(names); listed != 0) {
        m_reason = "cannot read the phonebook " + m_context.Paths().phonebook + " (" + std::to_string(listed) + ")";
        return false;
    }
    const int index = charge.Plan().entryIndex;
    m_entry = m_name.value_or(index >= 0 && index < kEntryCount ? names[index] : std::string());
    if (m_entry.empty()) throw UsageError("no entry selected: name one, or `vr31kctl entries select`");
    if (solvane == 0) charge.AdaptEntry(m_entry, -1, std::nullopt, nullptr);

    if (m_card.port.empty()) {
        m_reason = "no card found (give --port)";
        return false;
    }
    if (!m_card.Check()) return false;
    const EntryCheckOutcome check = CheckEntries(charge, m_card.card, m_card.check, m_card.ui, m_card.port,
                                                 m_card.status, [](EntryList&) { return SyncDialogEnd::Cancel; });
    if (check.result == kEntriesRefused) return false;
    if (std::find(check.program.begin(), check.program.end(), m_entry) == check.program.end()) {
        m_reason = "no entry named " + m_entry + " (vr31kctl entries list)";
        return false;
    }
    int level = 0;
    if (m_card.card.GetAntennaLevel(level) != CARD_OK) {
        ShowCommError(m_card.ui);
        return false;
    }
    m_card.card.ClosePort();
    if (solvane == 0 && level <= 0) {
        m_card.ui.Tell(ids::IDS_OUT_OF_SERVICE_CAPTION, ids::IDS_OUT_OF_SERVICE_TEXT, MessageIcon::Error);
        return false;
    }
    // The command itself is the user's Yes to the connect question.
    return m_card.ui.Ask(ids::IDS_CONNECT_CONFIRM_CAPTION, ids::IDS_CONNECT_CONFIRM_TEXT, {m_entry});
}

int ConnectRun::Run() {
    // `status` and `disconnect` find this connect by the lock it holds from here on.
    if (std::string why; !m_status.Hold(why)) return m_context.Fail(1, "no-status", why);
    if (const int status = m_session.OpenHistory(); status != kExitOk) return status;
    m_session.SetupEntries();
    if (!Prepare()) return Fail("not-dialled");

    CRasChargeCtrl& charge = m_session.Charge();
    charge.StartMonitor([this](int notice) {
        m_events.Push({ConnectionEvent::Kind::Notice, 0, 0, notice});
    });
    WriteStatus(Figures("dialling"));
    const int started = charge.DialEntry(m_entry, std::nullopt, std::nullopt, std::nullopt,
                                         [this](ConnHandle, uint32_t state, int error) {
                                             m_events.Push({ConnectionEvent::Kind::DialProgress, state, error, 0});
                                         });
    if (started != 0) {
        charge.HangUp(false, true);
        m_card.ui.Tell(ids::IDS_DIAL_FAILED_CAPTION, ids::IDS_DIAL_FAILED_TEXT, MessageIcon::Exclamation,
                              {std::to_string(started)});
        Say() << charge.Service().LastErrorDetail() << '\n';
        return Fail("dial-failed");
    }

    auto nextTick = std::chrono::steady_clock::now() + kTick;
    bool hangUpAsked = false;
    for (;;) {
        if (g_stopRequested && !hangUpAsked) {
            hangUpAsked = true;
            if (!m_connected) {
                // Still dialling: the dial is ended quietly, nothing to record.
                charge.HangUp(false, true);
                m_reason = "dial cancelled";
                return Fail("cancelled");
            }
            Tick();
            charge.HangUp(true, true);
        }
        const auto event = m_events.Wait(kPoll);
        if (event && event->kind == ConnectionEvent::Kind::DialProgress) {
            if (event->error > 0) {
                charge.HangUp(false, true);
                m_card.ui.Tell(ids::IDS_DIAL_FAILED_CAPTION, ids::IDS_DIAL_FAILED_TEXT,
                                      MessageIcon::Exclamation, {std::to_string(event->error)});
                const std::string detail = charge.Service().LastErrorDetail();
                if (!detail.empty()) Say() << detail << '\n';
                return Fail("dial-failed");
            }
            if (const int text = ProgressTextId(event->state); text != 0) Say() << LoadString(text) << '\n';
        } else if (event && event->notice == RAS_NOTIFY_CONNECTED) {
            m_connected = true;
            Tick();
            nextTick = std::chrono::steady_clock::now() + kTick;
        } else if (event && event->notice == RAS_NOTIFY_DISCONNECTED) {
            return Finish(!hangUpAsked);
        } else if (event && event->notice == RAS_NOTIFY_HUNGUP) {
            charge.StampEndTime();
            if (charge.LastMonitorHangUpResult() != 0) {
                Say() << "the hang-up did not finish (" << charge.LastMonitorHangUpResult() << ")\n";
            }
            WaitUntilGone();
            return Finish(false);
        }
        if (m_connected && std::chrono::steady_clock::now() >= nextTick) {
            Tick();
            nextTick += kTick;
        }
    }
}

void ConnectRun::WaitUntilGone() {
    const auto deadline = std::chrono::steady_clock::now() + kGoneWait;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto event = m_events.Wait(kPoll);
        if (event && event->kind == ConnectionEvent::Kind::Notice && event->notice == RAS_NOTIFY_DISCONNECTED) return;
    }
}

int ConnectRun::Finish(bool lineLost) {
    CRasChargeCtrl& charge = m_session.Charge();
    HistoryRow row;
    const int recorded = charge.RecordFinishedConnection(false, &row);
    if (lineLost) {
        charge.HangUp(false, true);
        m_card.ui.Tell(ids::IDS_APP_TITLE, ids::IDS_LINE_LOST_TEXT, MessageIcon::Exclamation);
    }
    const LiveConnection& live = charge.Live();
    Json result = Json::MakeObject();
    result.Set("ok", !lineLost && recorded == 0)
        .Set("entry", m_entry)
        .Set("line_lost", lineLost)
        .Set("duration", FormatConnectionTime(static_cast<uint64_t>(live.durationMs)))
        .Set("duration_s", live.durationMs / 1000)
        .Set("sent", live.sent)
        .Set("recv", live.recv)
        .Set("charge", row.charge ? ChargeJson(*row.charge) : Json(nullptr))
        .Set("recorded", recorded == 0);
    SetMessages(result, m_card.ui.Boxes());
    if (recorded != 0) m_context.Err() << "vr31kctl: the connection could not be recorded (" << recorded << ")\n";
    return (!lineLost && recorded == 0) ? m_context.Print(result) : m_context.PrintFailed(result);
}

Json ConnectRun::Figures(const char* state) {
    CRasChargeCtrl& charge = m_session.Charge();
    const LiveConnection& live = charge.Live();
    int64_t connectionBytes = 0, freeLeft = 0, limitLeft = 0;
    const int32_t yen = charge.ComputePeriodCharge(connectionBytes, freeLeft, limitLeft, true);
    Json figures = Json::MakeObject();
    figures.Set("pid", static_cast<long>(getpid()))
        .Set("state", state)
        .Set("entry", m_entry)
        .Set("duration", FormatConnectionTime(static_cast<uint64_t>(live.durationMs)))
        .Set("duration_s", live.durationMs / 1000)
        .Set("sent", live.sent)
        .Set("recv", live.recv)
        .Set("volume", FormatConnectionVolume(static_cast<uint64_t>(live.sent), static_cast<uint64_t>(live.recv)))
        .Set("charge", ChargeJson(yen))
        .Set("charge_text", FormatCharge(yen))
        .Set("free_left", freeLeft)
        .Set("limit_left", limitLeft);
    return figures;
}

// The one-second connection tick.
void ConnectRun::Tick() {
    CRasChargeCtrl& charge = m_session.Charge();
    if (charge.IsPeriodOver()) charge.RecomputePeriod();
    charge.UpdateStatistics();
    const Json figures = Figures("connected");
    const auto text = [&](const char* key) { return figures.Find(key)->Text(); };
    Say() << text("entry") << "  " << text("duration") << "  " << text("volume") << "  charge " << text("charge_text")
          << '\n';
    if (charge.CheckNotice()) {
        m_card.ui.Tell(ids::IDS_CHARGE_NOTICE_CAPTION, ids::IDS_CHARGE_NOTICE_TEXT, MessageIcon::Exclamation);
    }
    WriteStatus(figures);
}

void ConnectRun::WriteStatus(const Json& figures) { m_status.Write(figures.Dump() + "\n" + figures.DumpText()); }

// The figures a running connect of this user wrote (JSON on the first line, the same
// for people after it), while it holds its lock.
bool ReadRunningStatus(const ConnectionStatus& connection, long& pid, std::string& json, std::string& text) {
    return connection.Running() && connection.Read(pid, json, text);
}

int RunConnect(CliContext& context, CliArgs& args) {
    const auto name = args.Next();
    args.Finish();
    if (const auto asked = AskRunningUtility(context, {RemoteVerb::Connect, name.value_or("")})) return *asked;
    g_stopRequested = false;
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
    ConnectRun run(context, name);
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
