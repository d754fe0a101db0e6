#pragma once
// The main window's connection side, without the toolkit: the connect/disconnect
// command, the dial and its progress, the monitor's notices, the one-second tick,
// ending a connection, closing the window and the session's end. Runs on the window's
// thread; the monitor thread and the dial reach it only through IMainView::Post.
#include "accounting/ConnectionSnapshot.h"
#include "accounting/UsageLimit.h"
#include "dialup/CWRasCtrl.h"
#include "mainwnd/CUtilityDlg.h"
#include "mainwnd/LinkWarning.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vr31k {

// The figures of the status and result dialogs: a snapshot in words.
ConnectionFiguresText FiguresText(const ConnectionSnapshot& snapshot);
// The same for the live connection and its period (no pace: the status dialog's has it).
ConnectionFiguresText ConnectionFiguresOf(CRasChargeCtrl& charge, bool includeLive);
// The progress text of a dial state (0: none).
int DialProgressTextId(uint32_t state);

// How a connect or a hang-up asked for from outside the window ended.
struct FlowOutcome {
    bool ok = false;
    std::string error;  // a short name when it failed: "dial-failed", "cancelled", ...
    int code = 0;       // the dial-up service's code, where there is one
    // The box the window shows about it right after telling (its text filled in).
    std::optional<MessageBoxRequest> box;
};

// What became of the connection beyond what the view is shown: for the instance
// socket's requests and for a face without a window (the command line).
class IConnectionObserver {
public:
    virtual ~IConnectionObserver() = default;
    // After each connection tick.
    virtual void Ticked() {}
    // The connection is gone (also a dial that ended without one).
    virtual void ConnectionGone() {}
    // Once for each ConnectEntry, once for each HangUpCommand.
    virtual void ConnectEnded(const FlowOutcome& /*outcome*/) {}
    virtual void HangUpEnded(const FlowOutcome& /*outcome*/) {}
    // A dial failed with the dial-up service's `code`.
    virtual void DialFailed(int /*code*/) {}
    // The connection was recorded: RecordFinishedConnection's result and the row.
    virtual void Recorded(int /*result*/, const HistoryRow& /*row*/) {}
    // A connection was hung up or went away and its dialogs have run: the end of a dial
    // or a made connection (`lineLost` when the line went on its own), or the end of
    // another dialler's connection (`outside`).
    virtual void Ended(bool /*lineLost*/, bool /*outside*/) {}
};

// The notices of the dial-up monitor, as CWRasCtrl numbers them.
enum class ConnectionNotice {
    Appeared = RAS_NOTIFY_CONNECTED,  // a connection over the card is up
    Gone = RAS_NOTIFY_DISCONNECTED,   // it went (hung up or lost)
    HungUp = RAS_NOTIFY_HUNGUP,       // a hang-up through the monitor finished
};

// Where the window's connection flow is. Every change of phase is in this table (Own:
// Dialling or Connected; End: see EndKind):
//
//  phase                  event                         -> phase      effects
//  Idle                   connect command               -> Preparing  card check, entries, limit
//                                                                     and connect questions
//  Preparing              a check refused               -> Idle       its box
//  Preparing              checks passed                 -> Dialling   dial, connecting dialog
//  Dialling               Cancel, remote disconnect     -> Dialling   connect command posted
//  Dialling               notice Appeared               -> Connected  tick starts
//  Idle/Preparing/Ending  notice Appeared               -> Outside    another dialler's: shown,
//                                                                     tick starts
//  Connected/Outside      tick                          -> same       figures, the user's limit;
//                                                                     the link's path every 5th
//  Own                    dial error                    -> End        DialFailed
//  Dialling               dial not started              -> End        DialNotStarted
//  Own, not connected     connect command, remote       -> End        DialCancelled
//  Own/Outside, connected connect command, remote       -> End        UserHangUp
//  Connected              exit                          -> End        UserHangUp
//  Connected/Outside      tick at the user's limit      -> End        LimitReached, once a
//                                                                     connection
//  Connected              session ends                  -> End        SessionEnd, its row first
//  Connected              notice Gone                   -> End        LineLost
//  Outside                notice Gone                   -> End        Outside
//  (End)                  End(kind): one call           -> HangingUp  the row first where the line
//                                                                     is gone or the session ends;
//                                                                     final figures; hang-up
//                                                                     (UserHangUp, LimitReached:
//                                                                     through the monitor under the
//                                                                     disconnecting dialog; else
//                                                                     directly)
//  HangingUp              notice Gone                   -> HangingUp  tick stops, status closes;
//                                                                     the row is left to the end
//  HangingUp              notice HungUp                 -> HangingUp  disconnecting dialog ends
//  HangingUp              hang-up failed, link still up -> before     box; remote hang-up told
//  HangingUp              hung up                       -> Ending     row (once), tick and dialogs
//                                                                     closed, window state back,
//                                                                     why told, result dialog
//  Ending                 its steps done                -> Idle       observers told
//  Preparing/HangingUp/   connect command               -> same       none (a remote connect:
//  Ending                                                             "busy"; "already-connected"
//                                                                     while hanging up)
//  HangingUp/Ending       another End                   -> same       none: the running one ends
//  Idle/Preparing/Ending  notice Gone                   -> same       the row, if one is owed
enum class ConnectionPhase { Idle, Preparing, Dialling, Connected, Outside, HangingUp, Ending };

// How a connection (or a dial) ends: what the end does follows from it (EndSteps in the
// .cpp).
enum class EndKind {
    UserHangUp,      // the user's command, a remote disconnect, exit while connected
    LimitReached,    // the user's own limit, seen by a tick
    LineLost,        // the window's connection went on its own
    SessionEnd,      // log-off, shutdown, a termination signal: recorded first, no dialogs
    Outside,         // another dialler's connection went
    DialCancelled,   // a dial not yet connected, ended by the user
    DialFailed,      // the dialler's error, during the dial or once connected
    DialNotStarted,  // the dial could not be started
};

class ConnectionControl final : public IConnectionControl {
public:
    // `linkPath` reads where the connection's traffic and names go while it is up (none:
    // not looked at).
    explicit ConnectionControl(CUtilityDlg& window, LinkPathProbe linkPath = {});
    ~ConnectionControl() override;
    ConnectionControl(const ConnectionControl&) = delete;
    ConnectionControl& operator=(const ConnectionControl&) = delete;

    // Starts the monitor thread, whose notices come back through IMainView::Post.
    void Start() override;

    void ConnectCommand() override;
    bool MayClose() override;
    void SessionEnding() override;
    void OnTimer() override { Tick(); }
    void OpenStatusDialog() override;
    bool IsConnected() override;
    void DataChanged(DataChanges changes) override;

    // The dial's progress (state, error code), and the monitor's notices.
    void OnDialEvent(uint32_t state, int error);
    void OnNotice(ConnectionNotice notice);

    void SetObserver(IConnectionObserver* observer) { m_observer = observer; }
    // The connect command for `entry` (empty: the selected one) with the user's yes
    // already given: no connect question, the other boxes as usual.
    void ConnectEntry(const std::string& entry);
    // The user's hang-up without the question; while dialling, the connecting
    // dialog's Cancel.
    void HangUpCommand();

    // What a yes to the question before a dial at the user's limit allows past it.
    static constexpr int64_t kConnectAnywayBytes = int64_t{100} << 20;
    // Bytes the next connection may run past the user's limit, as if the question
    // before its dial had been answered yes (the command line's --over-limit).
    void AllowOverLimit(int64_t bytes) { m_overBytes = bytes; }
    // The user's limit was changed: the connection in progress keeps to the new one.
    void LimitChanged();

    // The live connection with its period, the user's limit and the pace: the figures of
    // the status dialog, the socket's status and vr31kctl connect.
    ConnectionSnapshot Snapshot() const;

    int StateBeforeOutside() const { return m_stateBeforeOutside; }
    ConnectionPhase Phase() const { return m_phase; }

private:
    void Connect(std::string entry, bool ask);
    void StartDial(const std::string& entry);
    void EndConnect(FlowOutcome outcome);
    void EndHangUp(FlowOutcome outcome);
    // The end of a connection or a dial, as a whole: see the table above. `code` is the
    // dialler's error of DialFailed and DialNotStarted.
    void End(EndKind kind, int code = 0);
    // The monitor's connection went: whichever end it is.
    void OnGone();
    // The connection tick: the figures, then the user's limit.
    void Tick();
    // The figures of the live connection sampled and shown (the tick's and the end's).
    void Sample();
    // Where the connection's traffic and names go, read again every kLinkPathTicks ticks.
    void LookAtLinkPath();
    // The user's limit and the burst warning, after a tick: may hang up.
    void WatchLimit();
    // At the user's limit: true when the dial may go on (asked when `ask`).
    bool MayDialAtLimit(bool ask);
    // The box of a failed dial, with its cause.
    MessageBoxRequest DialFailureBox(int captionId, int code);
    // Writes the row of the monitor's last connection, if it has none yet.
    void RecordOwed(bool stampNow);
    // The window's own dial or the connection it made.
    bool Own() const { return m_phase == ConnectionPhase::Dialling || m_phase == ConnectionPhase::Connected; }
    // A dial, a connection or another dialler's connection is under way.
    bool Engaged() const;

    CUtilityDlg& m_window;
    IMainView& m_view;
    CRasChargeCtrl& m_charge;
    ConnectionPhase m_phase = ConnectionPhase::Idle;
    int m_stateBeforeOutside = 1;  // the window's state that an outside connection interrupted
    bool m_monitoring = false;     // the monitor thread runs
    IConnectionObserver* m_observer = nullptr;
    // A connect or hang-up asked from outside whose end the observer still waits for.
    struct Awaited {
        bool connect = false;
        bool hangUp = false;
    } m_awaited;
    // What belongs to the monitor's connection, from its Appeared notice.
    struct Current {
        unsigned serial = 0;      // counts the connections
        bool rowOwed = false;     // not recorded yet
        bool limitEnded = false;  // the limit hung it up once: a failed hang-up is not retried
        LinkWarning warning{};    // where its traffic or names go wrong, as last looked at
        unsigned pathTicks = 0;   // ticks since then
    } m_current;
    LinkPathProbe m_linkPath;

    // The user's own limit, read when a dial or a connection begins.
    LimitSettings m_limit;
    int64_t m_overBytes = 0;       // allowed past the limit for this connection
    double m_limitWarnedFor = -1;  // the end of the period whose warning was given
    BurstWatch m_burst;
};

}  // namespace vr31k
