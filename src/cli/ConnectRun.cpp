#include "cli/ConnectRun.h"

#include "cli/PlanLimit.h"
#include "cli/ReadableValues.h"
#include "common/StringIds.h"
#include "dialup/ConnectionFigures.h"

#include <algorithm>
#include <ostream>

namespace vr31k::cli {

namespace {
// After the end, how long a gone notice that records the connection may take.
constexpr auto kGoneWait = std::chrono::seconds(15);
// How long the monitor may take to report a connection found up at the start.
constexpr auto kAdoptWait = std::chrono::seconds(5);

bool IsConnectionState(int state) { return state == kCardDialing || state == kCardOutsideConnection; }

// The live connection's time and bytes, as the result and the status show them.
// The status is found by the folder's resolved path, which a folder that does not
// exist yet has not: `status` would look elsewhere once the folder is made.
std::string MadeFolder(CliContext& context) {
    context.PrepareDataFolder();
    return context.Paths().folder;
}
}  // namespace

ConnectRun::ConnectRun(CliContext& context, std::optional<std::string> name, std::optional<int64_t> overLimit,
                       const std::atomic<int>& hangUpRequests)
    : m_context(context),
      m_name(std::move(name)),
      m_overLimit(overLimit),
      m_hangUpRequests(hangUpRequests),
      m_session(context),
      m_settings(context.Settings()),
      m_utility(m_settings.ReadUtility()),
      m_status(MadeFolder(context)),
      m_view(m_loop, context.JsonOutput() ? nullptr : &context.Err(), Say(), m_name.value_or(std::string()),
             CliMainView::Hooks{
                 [this](int command) { Window().OnCommand(command); },
                 [this] { return TakeHangUp(); },
                 [this] { WriteStatus(Figures("dialling")); },
                 [this](const std::string& entry, const std::string& duration, const std::string& volume) {
                     OnTick(entry, duration, volume);
                 }}) {
    m_loop.SetTimerHandler([this](int id) { Window().OnTimer(id); });
}

void ConnectRun::Recorded(int result, const HistoryRow& row) {
    m_recorded = result;
    m_row = row;
}

void ConnectRun::Ended(bool lineLost, bool outside) { m_end = End{lineLost, outside}; }

bool ConnectRun::TakeHangUp() {
    if (!HangUpPending()) return false;
    m_hangUpsTaken = m_hangUpRequests.load();
    return true;
}

int ConnectRun::Run() {
    if (std::string why; !m_status.Hold(why)) return m_context.Fail(1, "no-status", why);
    std::string port;
    if (const int status = m_session.Start(port); status != kExitOk) return status;
    SessionOptions options;
    options.dataFolder = m_context.Paths().folder;
    m_windowSession.emplace(m_session.Shared(), m_card, m_settings, m_utility, std::move(port), m_view, options);
    m_windowSession->SetObserver(this);
    CRasChargeCtrl& charge = m_session.Charge();
    // An allowance the period is already past is no allowance.
    const bool allowed =
        m_overLimit && CheckCurrentLimit(charge, m_settings.ReadLimit(), *m_overLimit).state != LimitState::Reached;
    if (const auto refused = RefuseAtLimit(m_context, charge, allowed)) return *refused;
    if (m_overLimit) Control().AllowOverLimit(*m_overLimit);
    charge.EnsurePhonebook();
    EntryList names;
    if (const int listed = charge.ListEntries(names); listed != 0) {
        m_reason = "cannot read the phonebook " + m_context.Paths().phonebook + " (" + std::to_string(listed) + ")";
        return Fail("not-dialled");
    }
    if (m_windowSession->Port().empty()) {
        m_reason = "no card found (give --port)";
        return Fail("not-dialled");
    }
    Control().Start();
    if (ConnectionInfo link; charge.FindCardConnection(link)) return Watch(link);

    const int index = charge.Plan().entryIndex;
    m_entry = m_name.value_or(index >= 0 && index < kEntryCount ? names[index] : std::string());
    if (m_entry.empty()) throw UsageError("no entry selected: name one, or `vr31kctl entries select`");
    m_view.SetEntry(m_entry);
    Window().OnCommand(kCmdConnect);
    // A cancelled dial is ended by the command it posted.
    m_loop.RunPosted();
    return Outcome();
}

int ConnectRun::Watch(const ConnectionInfo& link) {
    m_entry = link.entryName;
    Say() << "a connection over the card is up without a program that holds it (" << m_entry
          << "): watching it as an outside connection; Ctrl-C or `vr31kctl disconnect` hangs it up\n";
    m_loop.RunUntil([&] { return Window().State() == kCardOutsideConnection || m_end.has_value(); },
                    CliEventLoop::Clock::now() + kAdoptWait);
    if (!m_end && Window().State() != kCardOutsideConnection) m_reason = "the connection went before it was watched";
    return Outcome();
}

int ConnectRun::Outcome() {
    if (!m_end && IsConnectionState(Window().State())) Stay();
    if (m_end && m_wasUp) return Finish();
    return NotDialled();
}

void ConnectRun::Stay() {
    // The command below is the window's disconnect only while a connection is shown;
    // in any other state it would dial again.
    while (!m_end && IsConnectionState(Window().State())) {
        // The window's disconnect command; a hang-up that failed may be asked again.
        if (TakeHangUp()) {
            Window().OnCommand(kCmdConnect);
            continue;
        }
        m_loop.RunUntil(
            [&] { return m_end.has_value() || HangUpPending() || !IsConnectionState(Window().State()); });
    }
}

int ConnectRun::Finish() {
    CRasChargeCtrl& charge = m_session.Charge();
    // The window's end writes the row before it tells; this waits for one left to the
    // gone notice.
    m_loop.RunUntil([&] { return m_recorded.has_value(); }, CliEventLoop::Clock::now() + kGoneWait);
    if (!m_recorded) m_recorded = charge.RecordFinishedConnection(false, &m_row);
    const bool lineLost = m_end->lineLost;
    const bool recorded = *m_recorded == 0;
    Json result = Json::MakeObject();
    result.Set("ok", !lineLost && recorded).Set("entry", m_entry).Set("line_lost", lineLost);
    // The row's own charge, not the period's.
    WriteSnapshot(result, SnapshotOf(charge))
        .Set("charge", m_row.charge ? ChargeJson(*m_row.charge) : Json(nullptr))
        .Set("recorded", recorded);
    if (m_end->outside) result.Set("outside", true);
    SetMessages(result, m_view.Boxes());
    if (!recorded) m_context.Err() << "vr31kctl: the connection could not be recorded (" << *m_recorded << ")\n";
    return (!lineLost && recorded) ? m_context.Print(result) : m_context.PrintFailed(result);
}

int ConnectRun::NotDialled() {
    if (m_view.DialCancelled()) {
        m_reason = "dial cancelled";
        return Fail("cancelled");
    }
    const auto& boxes = m_view.Boxes();
    const auto dialBox = std::find_if(boxes.begin(), boxes.end(), [](const ShownBox& box) {
        return box.captionId == ids::IDS_DIAL_FAILED_CAPTION || box.captionId == ids::IDS_DIAL_ABORTED_CAPTION;
    });
    if (dialBox != boxes.end()) {
        // Without --json its cause line was told with the box on stderr.
        if (m_context.JsonOutput()) m_context.Err() << dialBox->cause << '\n';
        return Fail("dial-failed");
    }
    const EntryList& names = Window().EntryNames();
    if (m_reason.empty() && boxes.empty() && std::find(names.begin(), names.end(), m_entry) == names.end()) {
        m_reason = "no entry named " + m_entry + " (vr31kctl entries list)";
    }
    return Fail("not-dialled");
}

int ConnectRun::Fail(const std::string& name) {
    Json result = Json::MakeObject();
    result.Set("ok", false).Set("error", name);
    SetMessages(result, m_view.Boxes());
    // A box's text is already among the messages people read.
    if (!m_reason.empty()) result.Set("message", m_reason);
    else if (!m_view.LastText().empty()) result.Set("message", Json::JsonOnly(m_view.LastText()));
    if (!m_context.JsonOutput() && !m_reason.empty()) m_context.Err() << "vr31kctl: " << m_reason << '\n';
    return m_context.PrintFailed(result);
}

// The connection tick, after the window's own: the figures line and the status file.
void ConnectRun::OnTick(const std::string& entry, const std::string& duration, const std::string& volume) {
    // The tick that opens the end of a dial that never connected shows nothing.
    if (m_session.Charge().IsConnected() == 0) return;
    m_wasUp = true;
    const Json figures = Figures("connected");
    Say() << entry << "  " << duration << "  " << volume << "  charge " << figures.Find("charge_text")->Text() << '\n';
    WriteStatus(figures);
}

Json ConnectRun::Figures(const char* state) {
    Json figures = Json::MakeObject();
    ConnectionSnapshot snapshot = Control().Snapshot();
    snapshot.entry = m_entry;  // also while dialling, before the live figures name it
    WriteConnectionStatus(figures, state, snapshot, m_session.Charge().LiveRecord().LastSaved());
    if (Window().State() == kCardOutsideConnection) figures.Set("outside", true);
    return figures;
}

}  // namespace vr31k::cli
