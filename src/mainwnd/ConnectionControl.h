#pragma once
// The main window's connection side, without the toolkit: the connect/disconnect
// command, the dial and its progress, the monitor's notices, the one-second tick,
// ending a connection, closing the window and the session's end. Runs on the window's
// thread; the monitor thread and the dial reach it only through IMainView::Post.
#include "accounting/ConnectionSnapshot.h"
#include "accounting/UsageLimit.h"
#include "mainwnd/CUtilityDlg.h"

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

class ConnectionControl final : public IConnectionControl {
public:
    explicit ConnectionControl(CUtilityDlg& window);
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

    // The dial's progress (state, error code), and the monitor's notices: 0 a connection
    // appeared, 1 it is gone, 2 a hang-up through the monitor finished.
    void OnDialEvent(uint32_t state, int error);
    void OnNotice(int notice);

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
    // A session end recorded the connection and is hanging it up.
    bool IsSessionEnding() const { return m_sessionEnding; }

private:
    void Connect(std::string entry, bool ask);
    void StartDial(const std::string& entry);
    void EndConnect(FlowOutcome outcome);
    void EndHangUp(FlowOutcome outcome);
    void EndConnection(bool quiet, bool lineLost, bool wait, bool withDialog);
    void Tick();
    // The user's limit and the burst warning, after a tick: may hang up.
    void WatchLimit();
    // At the user's limit: true when the dial may go on (asked when `ask`).
    bool MayDialAtLimit(bool ask);
    void DialFailed(int textCaptionId, int code);
    void Record(bool stampNow);
    void ReportEnd(bool lineLost, bool outside);
    // A dial, a connection or another dialler's connection is under way.
    bool Engaged() const;

    CUtilityDlg& m_window;
    IMainView& m_view;
    CRasChargeCtrl& m_charge;
    int m_stateBeforeOutside = 1;
    bool m_sessionEnding = false;
    // The user's hang-up is under way: the gone notice that follows is not a lost line.
    bool m_userHangUp = false;
    // The window's own dial, or the connection it made, until its end is handled.
    bool m_dialling = false;
    bool m_started = false;
    IConnectionObserver* m_observer = nullptr;
    // A connect or hang-up asked from outside whose end the observer still waits for.
    bool m_remoteConnect = false;
    bool m_remoteHangUp = false;
    bool m_inConnect = false;  // a connect command runs (its dialogs are open)
    bool m_ending = false;     // EndConnection runs (its tick must not end it again)

    // The user's own limit, read when a dial or a connection begins.
    LimitSettings m_limit;
    int64_t m_overBytes = 0;       // allowed past the limit for this connection
    bool m_limitHungUp = false;    // this connection was ended at the limit
    // Why the connection was ended, told where a lost line is: before its result.
    std::optional<MessageBoxRequest> m_endReason;
    double m_limitWarnedFor = -1;  // the end of the period whose warning was given
    BurstWatch m_burst;
};

}  // namespace vr31k
