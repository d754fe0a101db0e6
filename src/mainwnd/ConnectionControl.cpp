#include "mainwnd/ConnectionControl.h"

#include "card/CardResults.h"
#include "common/ByteCount.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "dialup/ConnectionFigures.h"
#include "dialup/DialFailureCause.h"
#include "mainwnd/ProgramViewRules.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace vr31k {

using namespace ids;

namespace {
// Between closing the card's command port and the dial opening the card's data port.
constexpr auto kPortSettle = std::chrono::milliseconds(100);
// How often the link's path is read again while it is up: a route or a resolver that
// changes (a VPN started) shows within seconds, and the bus is asked seldom.
constexpr unsigned kLinkPathTicks = 5;

std::string Bytes(uint64_t count) { return FormatByteCount(count, true, true); }

// How many programs the status dialog names.
constexpr size_t kDialogPrograms = 5;

// A box whose text is made already (filled in by the accounting's formatters).
MessageBoxRequest MakeText(int captionId, std::string text, MessageIcon icon) {
    MessageBoxRequest request;
    request.captionId = captionId;
    request.text = std::move(text);
    request.icon = icon;
    return request;
}
// An allowance left: Remaining() never goes below 0.
std::string Allowance(int64_t left) { return Bytes(static_cast<uint64_t>(left)); }

// What an end does besides closing the dialogs and telling the observers, in End's order.
struct EndSteps {
    bool recordsFirst;  // the line is gone, or the session ends: the row before anything else
    bool samples;       // the final figures are sampled
    bool hangsUp;
    bool withDialog;    // through the monitor under the disconnecting dialog, else directly
    bool showsResult;   // the result dialog (never for another dialler's connection)
};

constexpr EndSteps StepsOf(EndKind kind) {
    switch (kind) {
    case EndKind::UserHangUp:
    case EndKind::LimitReached: return {false, true, true, true, true};
    case EndKind::LineLost: return {true, true, true, false, true};
    case EndKind::SessionEnd: return {true, true, true, false, false};
    case EndKind::Outside: return {true, false, false, false, false};
    case EndKind::DialCancelled:
    case EndKind::DialFailed:
    case EndKind::DialNotStarted: return {false, true, true, false, false};
    }
    return {};
}

bool IsDialFailure(EndKind kind) { return kind == EndKind::DialFailed || kind == EndKind::DialNotStarted; }
}  // namespace

ConnectionFiguresText FiguresText(const ConnectionSnapshot& snapshot) {
    const PeriodSnapshot period = snapshot.period.value_or(PeriodSnapshot{});
    return {FormatConnectionTime(snapshot.durationMs),
            Bytes(snapshot.sent),
            Bytes(snapshot.recv),
            FormatCharge(period.charge),
            Allowance(period.freeLeft),
            Allowance(period.limitLeft),
            FormatProjection(period.projection),
            period.pace ? FormatPace(*period.pace) : std::string(),
            snapshot.programsRead ? TopProgramLines(snapshot.programs, kDialogPrograms) : std::vector<std::string>{},
            snapshot.warning};
}

ConnectionFiguresText ConnectionFiguresOf(CRasChargeCtrl& charge, bool includeLive) {
    return FiguresText(SnapshotOf(charge, PeriodOf(charge, includeLive)));
}

int DialProgressTextId(uint32_t state) {
    switch (state) {
    case dialstate::kOpenPort: return IDS_PROGRESS_OPEN_PORT;
    case dialstate::kConnectDevice: return IDS_PROGRESS_CONNECT_DEVICE;
    case dialstate::kDeviceConnected: return IDS_PROGRESS_DEVICE_CONNECTED;
    case dialstate::kAuthenticate: return IDS_PROGRESS_AUTHENTICATE;
    case dialstate::kAuthenticated: return IDS_PROGRESS_AUTHENTICATED;
    case dialstate::kConnected: return IDS_PROGRESS_CONNECTED;
    default: return 0;
    }
}

ConnectionControl::ConnectionControl(CUtilityDlg& window, LinkPathProbe linkPath)
    : m_window(window), m_view(window.View()), m_charge(window.Charge()), m_linkPath(std::move(linkPath)) {}

ConnectionControl::~ConnectionControl() {
    if (m_monitoring) m_charge.StopMonitor();
}

void ConnectionControl::Start() {
    m_monitoring = true;
    m_charge.StartMonitor([this](int notice) {
        m_view.Post([this, notice] { OnNotice(static_cast<ConnectionNotice>(notice)); });
    });
}

bool ConnectionControl::IsConnected() { return m_charge.IsConnected() != 0; }

bool ConnectionControl::Engaged() const {
    const int state = m_window.State();
    return Own() || m_phase == ConnectionPhase::HangingUp || state == kCardDialing ||
           state == kCardOutsideConnection;
}

// --- connect / disconnect

void ConnectionControl::ConnectCommand() {
    // The tray's command from inside the dialogs of a connect command or of an end: that
    // command or end goes on as it is.
    if (m_phase == ConnectionPhase::Preparing || m_phase == ConnectionPhase::HangingUp ||
        m_phase == ConnectionPhase::Ending) {
        return;
    }
    const bool connected = IsConnected();
    if (connected || Engaged()) {
        if (connected && !m_view.Ask(IDS_DISCONNECT_CONFIRM_CAPTION, IDS_DISCONNECT_CONFIRM_TEXT, {},
                                     MessageResult::No)) {
            return;
        }
        if (Engaged()) End(connected ? EndKind::UserHangUp : EndKind::DialCancelled);
        return;
    }
    Connect(m_view.SelectedEntry(), true);
}

void ConnectionControl::ConnectEntry(const std::string& entry) {
    m_awaited.connect = true;
    if (IsConnected() || Engaged()) {
        EndConnect({false, "already-connected", 0, std::nullopt});
        return;
    }
    // A request arrives inside whatever modal dialog runs: not into a connect command
    // that is still checking the card, nor into an end's dialogs, nor beside the
    // settings being edited.
    if (m_phase == ConnectionPhase::Preparing || m_phase == ConnectionPhase::Ending || m_window.SettingsBusy()) {
        EndConnect({false, "busy", 0, std::nullopt});
        return;
    }
    Connect(entry.empty() ? m_view.SelectedEntry() : entry, false);
    // Every way out above tells; this covers a state changed under the check's dialogs.
    EndConnect({false, "not-dialled", 0, std::nullopt});
}

void ConnectionControl::HangUpCommand() {
    m_awaited.hangUp = true;
    if (m_phase == ConnectionPhase::HangingUp) {
        EndHangUp({false, "busy", 0, std::nullopt});
        return;
    }
    const bool connected = IsConnected();
    if (!connected && Own() && m_view.ConnectingDialogOpen()) {
        // As the dialog's Cancel: the dial then ends through the command.
        m_view.EndConnectingDialog(false);
        EndHangUp({true, "", 0, std::nullopt});
        return;
    }
    if (Engaged()) End(connected ? EndKind::UserHangUp : EndKind::DialCancelled);
    EndHangUp({false, "not-connected", RAS_ERR_NOT_CONNECTED, std::nullopt});
}

void ConnectionControl::EndConnect(FlowOutcome outcome) {
    if (!std::exchange(m_awaited.connect, false)) return;
    if (m_observer != nullptr) m_observer->ConnectEnded(outcome);
}

void ConnectionControl::EndHangUp(FlowOutcome outcome) {
    if (!std::exchange(m_awaited.hangUp, false)) return;
    if (m_observer != nullptr) m_observer->HangUpEnded(outcome);
}

void ConnectionControl::Connect(std::string entry, bool ask) {
    m_phase = ConnectionPhase::Preparing;
    // A way out that started no dial (and saw no other dialler's connection) is back to Idle.
    struct Back {
        ConnectionPhase& phase;
        ~Back() {
            if (phase == ConnectionPhase::Preparing) phase = ConnectionPhase::Idle;
        }
    } back{m_phase};
    const int solvane = m_window.Utility().solvaneMode;
    if (solvane == 0 && !entry.empty()) m_charge.AdaptEntry(entry, -1, std::nullopt, nullptr);
    if (!m_window.CheckCard()) {
        m_window.ClosePort();
        EndConnect({false, "card-check", 0, std::nullopt});
        return;
    }
    const int entries = m_window.CheckEntries();
    if (entries == kEntriesRefused) {
        EndConnect({false, "entries-refused", 0, std::nullopt});
        m_window.Status().entriesInSync = false;
        m_window.UpdateControls();
        m_window.ClosePortUnlessSignalDisplay();
        return;
    }
    m_window.Status().entriesInSync = true;
    if (entries == kEntriesSynchronised) {
        m_window.RefillEntries();
        // The synchronisation may have moved the current entry: keep it past the exit.
        m_window.WriteDialupSettings();
    }
    const ComboFill combo = FillEntryCombo(m_window.EntryNames(), m_charge.Plan().entryIndex);
    if (entry.empty() || std::find(combo.items.begin(), combo.items.end(), entry) == combo.items.end()) {
        m_window.ClosePortUnlessSignalDisplay();
        EndConnect({false, "no-entry", 0, std::nullopt});
        return;
    }
    int level = -1;
    if (m_window.Card().GetAntennaLevel(level) != CARD_OK) {
        EndConnect({false, "comm-error", 0, MakeMessage(IDS_COMM_ERROR_CAPTION, IDS_COMM_ERROR_TEXT, MessageIcon::Error)});
        ShowCommError(m_view);
        m_window.ClosePort();
        return;
    }
    m_window.ClosePortUnlessSignalDisplay();
    if (!MayDialAtLimit(ask)) return;
    if (solvane != 0 || level > 0) {
        if (!ask || m_view.Ask(IDS_CONNECT_CONFIRM_CAPTION, IDS_CONNECT_CONFIRM_TEXT, {entry}, MessageResult::Yes)) {
            if (!Engaged()) StartDial(entry);
        }
    } else {
        EndConnect({false, "out-of-service", 0,
                    MakeMessage(IDS_OUT_OF_SERVICE_CAPTION, IDS_OUT_OF_SERVICE_TEXT, MessageIcon::Error)});
        m_view.Tell(IDS_OUT_OF_SERVICE_CAPTION, IDS_OUT_OF_SERVICE_TEXT, MessageIcon::Error);
        m_window.ClosePortUnlessSignalDisplay();
    }
}

void ConnectionControl::StartDial(const std::string& entry) {
    m_phase = ConnectionPhase::Dialling;
    m_charge.BeginConnection();
    m_window.SignalDisplayOff();
    m_window.SetState(kCardDialing);
    m_window.UpdateControls();
    m_window.ClosePort();
    std::this_thread::sleep_for(kPortSettle);

    const int started = m_charge.DialEntry(entry, std::nullopt, std::nullopt, std::nullopt,
                                           [this](ConnHandle, uint32_t state, int error) {
                                               m_view.Post([this, state, error] { OnDialEvent(state, error); });
                                           });
    if (started != 0) {
        End(EndKind::DialNotStarted, started);
        return;
    }
    m_view.SetConnectTexts(true);
    if (m_view.RunConnectingDialog()) {
        if (m_view.IsShown()) m_view.ToTray(true);
        m_view.ForceForeground();
        m_view.SetTrayIcon(StateTrayIconId(kCardDialing, -1));
        m_view.ShowBalloon(std::string(LoadString(IDS_BALLOON_CONNECTED_TITLE)),
                           std::string(LoadString(IDS_BALLOON_CONNECTED_ENTRY)) + entry);
        EndConnect({true, "", 0, std::nullopt});
    } else if (Own()) {
        EndConnect({false, "cancelled", 0, std::nullopt});
        // The user cancelled: end the dial through the command (not yet connected, so no
        // question and no result dialog). The menu command, which acts in the tray too.
        m_view.PostCommand(kCmdConnect);
    }
}

MessageBoxRequest ConnectionControl::DialFailureBox(int captionId, int code) {
    // The table's box as it is, with why beneath it and, where a check can tell which
    // part of the system is missing or held, the way to the diagnosis.
    MessageBoxRequest box = MakeMessage(captionId, captionId + 1, MessageIcon::Exclamation, {std::to_string(code)});
    box.cause = FormatString(IDS_PORT_CAUSE_LINE, {DialFailureCause(code, m_charge.Service().LastErrorDetail())});
    box.offersDiagnosis = DiagnosisNamesDialFailure(code);
    return box;
}

// --- events

void ConnectionControl::OnDialEvent(uint32_t state, int error) {
    // Progress of a dial that has already ended (a late event after a cancel) changes
    // nothing: the state belongs to whatever followed it. The window's state is no
    // guide: a card pulled meanwhile has set it to no card, and the dial must still end.
    if (!Own()) return;
    if (error <= 0) {
        const int text = DialProgressTextId(state);
        if (text != 0 && m_view.ConnectingDialogOpen()) m_view.SetConnectingText(text);
        if (state == dialstate::kConnected && m_view.ConnectingDialogOpen()) m_view.EndConnectingDialog(true);
        return;
    }
    End(EndKind::DialFailed, error);
}

void ConnectionControl::OnNotice(ConnectionNotice notice) {
    switch (notice) {
    case ConnectionNotice::Appeared:
        // The row of the connection before is written before this one's figures begin.
        RecordOwed(false);
        m_charge.BeginConnection();
        m_current = Current{++m_current.serial, true, false, {}, 0};
        LimitChanged();
        if (Own()) {
            m_phase = ConnectionPhase::Connected;
        } else if (m_phase != ConnectionPhase::HangingUp) {
            // Another dialler's connection meets the limit too, with nothing allowed past it.
            m_overBytes = 0;
            if (m_window.State() != kCardDialing) {
                // The card's port belongs to the other dialler now: the signal display's
                // port and timers go, and the window comes back to a ready card after.
                m_window.SignalDisplayOff();
                m_stateBeforeOutside = m_window.State();
                m_window.SetState(kCardOutsideConnection);
                m_window.UpdateControls();
                m_view.SetConnectTexts(true);
                m_phase = ConnectionPhase::Outside;
            }
        }
        m_view.StartTimer(kTimerConnection, kConnectionTickMs);
        Tick();
        break;
    case ConnectionNotice::Gone: OnGone(); break;
    case ConnectionNotice::HungUp:
        if (m_view.DisconnectingDialogOpen()) m_view.EndDisconnectingDialog();
        break;
    }
}

void ConnectionControl::OnGone() {
    m_current.warning = {};
    m_view.StopTimer(kTimerConnection);
    if (m_view.StatusDialogOpen()) m_view.CloseStatusDialog();
    switch (m_phase) {
    case ConnectionPhase::Dialling:
    case ConnectionPhase::Connected: End(EndKind::LineLost); break;
    case ConnectionPhase::Outside: End(EndKind::Outside); break;
    case ConnectionPhase::HangingUp: break;  // the end under way records it once hung up
    default: RecordOwed(false); break;
    }
    if (m_view.IsMinimisedOrHidden()) m_view.SetTrayTip(std::string(LoadString(IDS_APP_TITLE)));
    if (m_observer != nullptr) m_observer->ConnectionGone();
}

// --- the tick and the end

void ConnectionControl::Tick() {
    if (m_phase == ConnectionPhase::Connected || m_phase == ConnectionPhase::Outside) LookAtLinkPath();
    Sample();
    if (m_phase == ConnectionPhase::Connected || m_phase == ConnectionPhase::Outside) WatchLimit();
}

void ConnectionControl::Sample() {
    if (m_charge.IsPeriodOver()) m_charge.RecomputePeriod();
    m_charge.UpdateStatistics();
    const ConnectionSnapshot live = SnapshotOf(m_charge);
    const std::string duration = FormatConnectionTime(live.durationMs);
    const std::string volume = FormatConnectionVolume(live.sent, live.recv);
    m_view.SetConnectionValues(live.entry, duration, volume);
    if (m_charge.CheckNotice()) {
        m_view.ForceForeground();
        m_view.Tell(IDS_CHARGE_NOTICE_CAPTION, IDS_CHARGE_NOTICE_TEXT, MessageIcon::Exclamation);
    }
    // The pace reads the history: once a tick, for whichever shows it.
    std::optional<ConnectionSnapshot> figures;
    const auto figuresNow = [&]() -> const ConnectionSnapshot& {
        return figures ? *figures : figures.emplace(Snapshot());
    };
    if (m_view.IsMinimisedOrHidden()) {
        // The tip keeps its usual lines unless the user's limit is on.
        const std::string paceText =
            m_limit.kind != kLimitOff ? FormatPaceShort(*figuresNow().period->pace) : std::string();
        m_view.SetTrayTip(ConnectionTrayTip(live.entry, duration, volume, paceText, m_current.warning.tip));
    }
    if (m_view.StatusDialogOpen()) m_view.RefreshStatusDialog(FiguresText(figuresNow()));
    if (m_observer != nullptr) m_observer->Ticked();
}

void ConnectionControl::LookAtLinkPath() {
    if (!m_linkPath || m_current.pathTicks++ % kLinkPathTicks != 0) return;
    m_current.warning = LinkWarningOf(m_linkPath(m_charge.FoundConnection().interfaceName));
}

void ConnectionControl::WatchLimit() {
    if (m_current.limitEnded || !m_charge.Connected()) return;
    // The burst warning is a setting of its own: it warns with the limit off too.
    if (m_limit.burstBytes > 0) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
        const LiveConnection& live = m_charge.Live();
        if (m_burst.Tick(seconds, m_charge.Now(), AddSaturating(live.sent, live.recv), m_limit.burstBytes)) {
            m_view.ShowBalloon(std::string(LoadString(IDS_BURST_CAPTION)), BurstWarningText(m_limit.burstBytes));
        }
    }
    if (m_limit.kind == kLimitOff) return;
    const LimitStatus status = CheckCurrentLimit(m_charge, m_limit, m_overBytes);
    if (status.state == LimitState::Reached) {
        // Ended as the user's own hang-up ends it, without the question.
        m_current.limitEnded = true;
        End(EndKind::LimitReached);
        return;
    }
    // As the notice: once in a period, and only for a crossing this connection made.
    const double periodEnd = m_charge.Period().periodEnd.value;
    if (status.state == LimitState::Warning && m_limitWarnedFor != periodEnd &&
        m_charge.Period().periodBytes < status.warnBytes) {
        m_limitWarnedFor = periodEnd;
        const std::string caption(LoadString(IDS_LIMIT_WARNING_CAPTION));
        m_view.ShowBalloon(caption, LimitWarningText(m_limit));
        m_view.ForceForeground();
        m_view.Show(MakeText(IDS_LIMIT_WARNING_CAPTION, LimitWarningText(m_limit), MessageIcon::Exclamation));
    }
}

void ConnectionControl::LimitChanged() { m_limit = m_window.SettingsFile().ReadLimit(); }

void ConnectionControl::DataChanged(DataChanges changes) {
    if ((changes & kChangedLimit) != 0) LimitChanged();
    if ((changes & (kChangedPlan | kChangedLimit | kChangedHistory)) != 0 && m_view.StatusDialogOpen()) {
        m_view.RefreshStatusDialog(FiguresText(Snapshot()));
    }
}

bool ConnectionControl::MayDialAtLimit(bool ask) {
    LimitChanged();
    if (CheckCurrentLimit(m_charge, m_limit, m_overBytes).state != LimitState::Reached) return true;
    const std::optional<std::string> refusal = LimitRefusal(m_charge, m_limit, false);
    if (!ask) {
        EndConnect({false, "limit-reached", 0,
                    MakeText(IDS_LIMIT_REFUSED_CAPTION, refusal.value_or(""), MessageIcon::Exclamation)});
        return false;
    }
    MessageBoxRequest question = MakeText(IDS_LIMIT_CONNECT_CAPTION,
                                          LimitConnectAnywayText(m_limit, kConnectAnywayBytes), MessageIcon::Question);
    question.buttons = MessageButtons::YesNo;
    question.defaultButton = MessageResult::No;
    if (m_view.Show(question) != MessageResult::Yes) return false;
    // The allowance runs from where the period is now, however far past the limit.
    const LimitStatus at = CheckCurrentLimit(m_charge, m_limit);
    const int64_t total = AddSaturating(m_charge.Period().periodBytes, m_charge.UncountedLiveBytes());
    m_overBytes = AddSaturating(kConnectAnywayBytes, std::max<int64_t>(0, total - at.limitBytes));
    return true;
}

void ConnectionControl::End(EndKind kind, int code) {
    // One end at a time: an end asked for from inside the dialogs of another is that one.
    if (m_phase == ConnectionPhase::HangingUp || m_phase == ConnectionPhase::Ending) return;
    const EndSteps steps = StepsOf(kind);
    const ConnectionPhase before = std::exchange(m_phase, ConnectionPhase::HangingUp);
    const unsigned connection = m_current.serial;
    const bool outside = before == ConnectionPhase::Outside;
    // Why it ended, told after the dialogs close: in the words of the moment it ended.
    std::optional<MessageBoxRequest> why;
    if (kind == EndKind::LineLost) why = MakeMessage(IDS_APP_TITLE, IDS_LINE_LOST_TEXT, MessageIcon::Exclamation);
    if (kind == EndKind::LimitReached) {
        why = MakeText(IDS_LIMIT_REACHED_CAPTION, LimitReachedText(m_limit), MessageIcon::Exclamation);
    }
    if (IsDialFailure(kind)) {
        // An error after the connecting dialog is gone is told as an abort.
        const bool dialog = kind == EndKind::DialNotStarted || m_view.ConnectingDialogOpen();
        why = DialFailureBox(dialog ? IDS_DIAL_FAILED_CAPTION : IDS_DIAL_ABORTED_CAPTION, code);
    }
    m_view.EnableConnectButton(false);

    if (steps.recordsFirst) RecordOwed(kind == EndKind::SessionEnd);
    if (steps.samples) Sample();
    int hangUp = 0;
    if (steps.hangsUp && steps.withDialog) {
        // The gone notice that comes inside the dialog's loop leaves the row to the end.
        m_charge.HangUp(true, true);
        m_view.RunDisconnectingDialog();
        hangUp = m_charge.LastMonitorHangUpResult();
    } else if (steps.hangsUp) {
        hangUp = m_charge.HangUp(false, kind != EndKind::SessionEnd);
    }
    if (hangUp != 0 && IsConnected()) {
        // The link is still up: say so, and keep showing it.
        m_phase = before;
        m_view.EnableConnectButton(true);
        const MessageBoxRequest box = MakeMessage(IDS_HANGUP_FAILED_CAPTION, IDS_HANGUP_FAILED_TEXT,
                                                  MessageIcon::Exclamation, {std::to_string(hangUp)});
        EndHangUp({false, "hangup-failed", hangUp, box});
        m_view.Show(box);
        return;
    }

    m_phase = ConnectionPhase::Ending;
    // Unless another connection came up meanwhile (and recorded this one on its way).
    if (m_current.serial == connection) {
        // The end of a link still up is now; a link the monitor saw go was stamped then,
        // and a dial that never connected has nothing to record.
        if (m_charge.Connected()) m_charge.StampEndTime();
        RecordOwed(false);
        m_view.StopTimer(kTimerConnection);
        if (m_view.StatusDialogOpen()) m_view.CloseStatusDialog();
    }
    // Whatever ended the dial (an error, the tray's 切断, a card pulled), its dialog goes.
    if (m_view.ConnectingDialogOpen()) m_view.EndConnectingDialog(false);
    if (m_window.State() == kCardDialing) {
        m_window.SetState(kind == EndKind::DialNotStarted ? kCardFailed : kCardReady);
    } else if (m_window.State() == kCardOutsideConnection) {
        m_window.SetState(m_stateBeforeOutside);
    }
    m_window.RefreshPicture(true);
    m_view.SetConnectTexts(false);
    m_view.EnableConnectButton(true);
    m_view.ShowBalloon({}, {});
    m_window.UpdateControls();
    EndHangUp({true, "", 0, std::nullopt});
    if (why) {
        if (IsDialFailure(kind)) {
            if (m_observer != nullptr) m_observer->DialFailed(code);
            EndConnect({false, "dial-failed", code, why});
        } else {
            m_view.ForceForeground();
        }
        m_view.Show(*why);
    }
    // Another dialler's connection has no result of ours to show. The row is written
    // already: the result counts its bytes once.
    if (steps.showsResult && !outside) m_view.RunResultDialog(ConnectionFiguresOf(m_charge, true));
    // The end's sample above set the connected tip.
    if (m_view.IsMinimisedOrHidden()) m_view.SetTrayTip(std::string(LoadString(IDS_APP_TITLE)));
    // Another dialler's connection that appeared inside the dialogs above stays.
    if (m_phase == ConnectionPhase::Ending) {
        m_phase = ConnectionPhase::Idle;
        m_overBytes = 0;
    }
    if (m_observer != nullptr) m_observer->Ended(kind == EndKind::LineLost, outside);
}

void ConnectionControl::RecordOwed(bool stampNow) {
    if (!std::exchange(m_current.rowOwed, false)) return;
    HistoryRow row;
    const int result = m_charge.RecordFinishedConnection(stampNow, &row);
    if (m_observer != nullptr) m_observer->Recorded(result, row);
}

// --- the window's end

bool ConnectionControl::MayClose() {
    if (IsConnected() && m_window.State() == kCardDialing) {
        if (!m_view.Ask(IDS_EXIT_CONFIRM_CAPTION, IDS_EXIT_CONFIRM_TEXT, {}, MessageResult::No)) return false;
        // The line may have gone, and its end been handled, while the question was open.
        if (IsConnected() && m_window.State() == kCardDialing) End(EndKind::UserHangUp);
    }
    if (m_monitoring) {
        m_charge.StopMonitor();
        m_monitoring = false;
    }
    return true;
}

void ConnectionControl::SessionEnding() {
    if (!IsConnected() || m_window.State() != kCardDialing) return;
    m_view.ForceForeground();
    // The row first, also when an end already runs: the session may not wait for it.
    RecordOwed(true);
    End(EndKind::SessionEnd);
}

void ConnectionControl::OpenStatusDialog() {
    if (m_view.StatusDialogOpen()) return;
    m_view.RunStatusDialog(FiguresText(Snapshot()));
}

ConnectionSnapshot ConnectionControl::Snapshot() const {
    ConnectionSnapshot snapshot = SnapshotOf(m_charge, PeriodOf(m_charge, true, m_limit));
    snapshot.warning = m_current.warning.line;
    snapshot.programsRead = true;
    snapshot.programs = m_charge.RunningPrograms();
    return snapshot;
}

}  // namespace vr31k
