#include "mainwnd/CUtilityDlg.h"

#include "card/CardResults.h"
#include "card/PinSettings.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "dialup/EntryCheck.h"

#include <utility>

namespace vr31k {

using namespace ids;

// The view as the card logic sees it: before each box or dialog the standby refusal
// is brought up to date (the port may have been opened since), and a state change
// refreshes the controls.
class CUtilityDlg::CardUiGate final : public ICardUi {
public:
    explicit CardUiGate(CUtilityDlg& owner) : m_owner(owner), m_view(owner.m_view) {}
    MessageResult Show(const MessageBoxRequest& request) override {
        m_owner.UpdateSleepRefusal();
        const bool notOpened = request.captionId == IDS_PORT_OPEN_ERROR_CAPTION;
        if (!notOpened && request.captionId != IDS_COMM_ERROR_CAPTION) return m_view.Show(request);
        // The table's box as it is, with why the port would not open or the card did not
        // answer as the diagnosis's checks of the port see it, and the way to the whole
        // diagnosis beneath it: always for a port that would not open, else when they see why.
        MessageBoxRequest told = request;
        const std::string trouble = m_owner.m_parts.host.PortTrouble(m_owner.m_portName);
        if (!trouble.empty()) told.cause = FormatString(IDS_PORT_CAUSE_LINE, {trouble});
        told.offersDiagnosis = notOpened || !trouble.empty();
        return m_view.Show(told);
    }
    void ForceForeground() override { m_view.ForceForeground(); }
    void StateChanged() override { m_owner.UpdateControls(); }
    std::optional<std::string> AskPin(int attemptsLeft) override {
        m_owner.UpdateSleepRefusal();
        return m_view.AskPin(attemptsLeft);
    }
    std::optional<PukEntry> AskPuk(int attemptsLeft) override {
        m_owner.UpdateSleepRefusal();
        return m_view.AskPuk(attemptsLeft);
    }
    std::optional<bool> ChoosePinLock(bool lockOn) override {
        m_owner.UpdateSleepRefusal();
        return m_view.ChoosePinLock(lockOn);
    }
    std::optional<PinChangeEntry> AskPinChange(int attemptsLeft) override {
        m_owner.UpdateSleepRefusal();
        return m_view.AskPinChange(attemptsLeft);
    }

private:
    CUtilityDlg& m_owner;
    IMainView& m_view;
};

namespace {

// Marks a running card check, so that a card arrival reported meanwhile (a composite
// card reports several ttys) does not start a second, nested one.
class CheckingScope {
public:
    explicit CheckingScope(bool& flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~CheckingScope() { m_flag = m_was; }
    CheckingScope(const CheckingScope&) = delete;
    CheckingScope& operator=(const CheckingScope&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

}  // namespace

CUtilityDlg::CUtilityDlg(MainWindowParts parts, IMainView& view)
    : m_parts(std::move(parts)),
      m_view(view),
      m_card(m_parts.card),
      m_portName(m_parts.portName),
      m_utility(m_parts.utility),
      m_charge(m_parts.charge),
      m_ui(std::make_unique<CardUiGate>(*this)) {}

CUtilityDlg::~CUtilityDlg() = default;

void CUtilityDlg::OnInitDialog() {
    const bool iconized = m_utility.iconizedStart == 1 || m_parts.autoStartLaunch;
    if (iconized) m_view.ToTray(false);
    ApplySignalTexts();
    m_charge.EnsurePhonebook();
    m_charge.ListEntries(m_entryNames);
    RefillEntries();
    m_parts.host.UseCardPort(m_portName);
    if (m_portName.empty()) {
        m_status.state = kCardNone;
        m_status.pinLockOn = false;
        m_status.entriesInSync = false;
        UpdateControls();
    } else if (CheckCard()) {
        m_status.entriesInSync = CheckEntries() != kEntriesRefused;
    } else {
        ClosePort();
    }
    ClosePort();
    UpdateControls();
    RefillEntries();
    if (!iconized) m_view.FromTray(false);
    if (m_connection != nullptr) m_connection->Start();
    UpdateSleepRefusal();
    m_parts.host.WindowReady();
}

void CUtilityDlg::OnCommand(int command) {
    switch (command) {
    case kCmdConnectButton:
        if (!ButtonsAct()) break;
        [[fallthrough]];
    case kCmdConnect:
    case kCmdTrayConnect:
        if (m_connection != nullptr) m_connection->ConnectCommand();
        break;
    case kCmdRemoveButton:
        if (!ButtonsAct()) break;
        [[fallthrough]];
    case kCmdRemove:
    case kCmdTrayRemove: RemoveCommand(); break;
    case kCmdSignalButton:
        if (!ButtonsAct()) break;
        [[fallthrough]];
    case kCmdTraySignal: ToggleSignalDisplay(); break;
    case kCmdExit: OnClose(); break;
    case kCmdUtilitySettings: UtilitySettingsCommand(); break;
    case kCmdDialupSettings: DialupSettingsCommand(); break;
    case kCmdPinLock: PinCommand(false); break;
    case kCmdPinChange: PinCommand(true); break;
    case kCmdCardInfo: CardInfoCommand(); break;
    case kCmdDialupStatus:
    case kCmdTrayDialupStatus:
        if (m_connection != nullptr) m_connection->OpenStatusDialog();
        break;
    case kCmdHistory: HistoryCommand(); break;
    case kCmdTotals: m_view.RunTotals(); break;
    case kCmdHelp: m_view.OpenHelp(); break;
    case kCmdAbout:
    case kCmdSystemAbout: m_view.ShowAbout(); break;
    case kCmdTrayMainWindow: m_view.FromTray(true); break;
    default: break;
    }
    UpdateSleepRefusal();
}

void CUtilityDlg::OnTimer(int id) {
    switch (id) {
    case kTimerSignal: RefreshPicture(true); break;
    case kTimerOneshot: ToggleSignalDisplay(); break;
    case kTimerConnection:
        if (m_connection != nullptr) m_connection->OnTimer();
        break;
    default: break;
    }
    UpdateSleepRefusal();
}

void CUtilityDlg::OnTrayNotify(int64_t mouseMessage) {
    constexpr int64_t kLeftButtonUp = 0x202;
    if (mouseMessage == kLeftButtonUp) m_view.FromTray(true);
}

void CUtilityDlg::OnMinimise() {
    if (m_view.ToTray(true)) RefreshPicture(false);
}

void CUtilityDlg::OnClose() {
    if (m_connection != nullptr && !m_connection->MayClose()) return;
    m_view.DestroyWindow();
}

void CUtilityDlg::OnSessionEnding() {
    if (m_connection != nullptr) m_connection->SessionEnding();
}

// --- card check and entry check

bool CUtilityDlg::CheckCard() {
    if (!m_checking) m_goneDuringCheck = false;
    CheckingScope checking(m_checking);
    CardCheckOptions options = m_parts.checkOptions;
    options.solvaneMode = m_utility.solvaneMode;
    CardCheck check(m_card, *m_ui, options);
    bool ok = check.Run(m_portName, m_status);
    if (m_goneDuringCheck) {
        // The card was pulled while the check waited for the user: whatever the check
        // made of it afterwards, there is no card, and its return must be noticed.
        ok = false;
        m_status.state = kCardNone;
        m_status.pinLockOn = false;
        m_status.entriesInSync = true;
        UpdateControls();
    }
    UpdateSleepRefusal();
    return ok;
}

int CUtilityDlg::CheckEntries() {
    CheckingScope checking(m_checking);
    CardCheckOptions options = m_parts.checkOptions;
    options.solvaneMode = m_utility.solvaneMode;
    CardCheck check(m_card, *m_ui, options);
    const SyncDialog sync = [this](EntryList& cardView) {
        m_settingsBusy = true;
        UpdateSleepRefusal();
        const SyncDialogEnd end = m_view.RunSyncDialog(cardView);
        m_settingsBusy = false;
        UpdateSleepRefusal();
        return end;
    };
    const EntryCheckOutcome outcome = vr31k::CheckEntries(m_charge, m_card, check, *m_ui, m_portName, m_status, sync);
    if (outcome.cardRead) m_entryNames = outcome.card;
    return outcome.result;
}

bool CUtilityDlg::CardArrived(bool lookUp) {
    if (lookUp) {
        std::string port;
        m_parts.host.FindCardPort(port);
        m_portName = port;
    }
    if (m_portName.empty()) return false;
    if (m_status.reopenOnResume) return CheckCard();
    const bool ok = CheckCard();
    if (ok) {
        m_status.entriesInSync = CheckEntries() != kEntriesRefused;
        UpdateControls();
        ClosePort();
        RefillEntries();
        m_parts.host.UseCardPort(m_portName);
    } else {
        ClosePort();
    }
    // The card was inserted to be used: come forward whatever the check found, so
    // its message is not left behind the window.
    if (m_utility.cardDtctRising == 1) {
        m_view.ForceForeground();
        m_view.RaiseToTop();
        if (m_view.IsMinimisedOrHidden()) m_view.FromTray(true);
    }
    UpdateSleepRefusal();
    return ok;
}

// --- controls

void CUtilityDlg::UpdateControls() {
    const ControlStates controls = EnableRules(m_status.state, m_status.entriesInSync, m_status.pinLockOn);
    if (controls.changed) {
        m_view.ApplyControls(controls);
        if (controls.refillCombo) RefillEntries();
    }
    RefreshPicture(false);
    UpdateSleepRefusal();
}

void CUtilityDlg::RefreshPicture(bool readLevel) {
    if (m_status.state == kCardSignalDisplay && readLevel) {
        int level = -1;
        if (m_card.GetAntennaLevel(level) != CARD_OK) {
            // The display goes off through the tray item, which acts in the tray too;
            // the button would act only while the window is shown and the failing read
            // would repeat every 5 s. One box at a time.
            m_view.PostCommand(kCmdTraySignal);
            if (!m_levelErrorShown) {
                m_levelErrorShown = true;
                ShowCommError(*m_ui);
                m_levelErrorShown = false;
            }
            return;
        }
        m_signalLevel = level;
    }
    if (m_view.IsShown()) {
        m_view.ShowPicture(StatePictureId(m_status.state, m_signalLevel), StateInWords(m_status.state, m_signalLevel));
    } else {
        m_view.SetTrayIcon(StateTrayIconId(m_status.state, m_signalLevel));
    }
}

void CUtilityDlg::ApplySignalTexts() { m_view.SetSignalTexts(SignalTexts(OneshotMode(), m_status.state)); }

void CUtilityDlg::RefillEntries() { m_view.FillEntries(FillEntryCombo(m_entryNames, m_charge.Plan().entryIndex)); }

void CUtilityDlg::WriteDialupSettings() {
    // Only the selection is the window's to keep here; the plan keys stay as the file holds them.
    const int32_t index = m_charge.Plan().entryIndex;
    m_parts.settings.ChangeDialup([index](DialupSettings& stored) {
        stored.entryIndex = index;
        return true;
    });
}

void CUtilityDlg::ClosePortUnlessSignalDisplay() {
    if (m_status.state != kCardSignalDisplay) ClosePort();
}

// --- commands

void CUtilityDlg::ToggleSignalDisplay() {
    if (!CheckCard()) {
        ClosePort();
        return;
    }
    if (m_status.state == kCardReady) {
        m_status.state = kCardSignalDisplay;
        m_view.StartTimer(kTimerSignal, kSignalIntervalMs);
        if (OneshotMode()) m_view.StartTimer(kTimerOneshot, OneshotIntervalMs(m_utility.antDispOneshotTime));
        ApplySignalTexts();
        RefreshPicture(true);
    } else if (m_status.state == kCardSignalDisplay) {
        SignalDisplayOff();
    }
}

void CUtilityDlg::SignalDisplayOff() {
    if (m_status.state != kCardSignalDisplay) return;
    m_status.state = kCardReady;
    m_view.StopTimer(kTimerSignal);
    m_view.StopTimer(kTimerOneshot);
    ApplySignalTexts();
    RefreshPicture(true);
    ClosePort();
}

void CUtilityDlg::RemoveCommand() {
    SignalDisplayOff();
    ClosePort();
    const bool ok = m_parts.host.EjectCard();
    if (ok) {
        m_view.Tell(IDS_CARD_REMOVED_CAPTION, IDS_CARD_REMOVED_TEXT, MessageIcon::Information);
    } else {
        m_view.Tell(IDS_CARD_REMOVE_FAILED_CAPTION, IDS_CARD_REMOVE_FAILED_TEXT, MessageIcon::Exclamation);
    }
}

void CUtilityDlg::UtilitySettingsCommand() {
    const UtilitySettings opened = m_utility;
    UtilitySettings edited = opened;
    if (!m_view.RunUtilitySettings(edited)) return;
    // Another face may have changed some keys while the dialog was open: the user's
    // edits go over the file as it is now, and the window takes the result.
    m_parts.settings.ChangeEdited(opened, edited);
    ApplyUtility(edited);
}

void CUtilityDlg::ApplyUtility(const UtilitySettings& settings) {
    m_utility.autoStart = settings.autoStart;
    m_utility.iconizedStart = settings.iconizedStart;
    m_utility.cardDtctRising = settings.cardDtctRising;
    m_utility.antDispOneshot = settings.antDispOneshot;
    m_utility.antDispOneshotTime = settings.antDispOneshotTime;
    ApplySignalTexts();
    if (m_status.state == kCardSignalDisplay) {
        if (OneshotMode()) {
            m_view.StartTimer(kTimerOneshot, OneshotIntervalMs(m_utility.antDispOneshotTime));
        } else {
            m_view.StopTimer(kTimerOneshot);
        }
    }
    UpdateControls();
}

void CUtilityDlg::DialupSettingsCommand() {
    if (!CheckCard()) {
        ClosePort();
        return;
    }
    if (CheckEntries() == kEntriesRefused) {
        m_status.entriesInSync = false;
        UpdateControls();
        ClosePortUnlessSignalDisplay();
        return;
    }
    m_status.entriesInSync = true;
    UpdateControls();
    ClosePortUnlessSignalDisplay();
    m_settingsBusy = true;
    UpdateSleepRefusal();
    const DialupSettings opened = m_charge.Plan();
    const bool ok = m_view.RunDialupSettings(m_entryNames);
    m_settingsBusy = false;
    UpdateSleepRefusal();
    // Only what the sheet changed is written; what another face changed meanwhile stays.
    DialupSettings edited = m_charge.Plan();
    m_parts.settings.ChangeEdited(opened, edited);
    m_charge.Plan() = edited;
    if (ok || edited != opened) {
        m_charge.DerivePlan();
        m_charge.RereadPeriod();
    }
    if (m_connection != nullptr) m_connection->DataChanged(kChangedPlan | kChangedLimit);
    if (std::exchange(m_entriesStale, false)) {
        ReloadEntries();
    } else {
        RefillEntries();
    }
}

// --- changes made outside

void CUtilityDlg::OnDataChanged(DataChanges changes) {
    if ((changes & kChangedUtility) != 0) {
        UtilitySettings stored = m_parts.settings.ReadUtility();
        stored.solvaneMode = m_utility.solvaneMode;  // read at start only
        if (stored != m_utility) ApplyUtility(stored);
    }
    if ((changes & kChangedPlan) != 0) {
        const DialupSettings stored = m_parts.settings.ReadDialup();
        if (stored != m_charge.Plan()) {
            m_charge.Plan() = stored;
            m_charge.DerivePlan();
            if (!m_settingsBusy) RefillEntries();
        } else {
            changes &= ~kChangedPlan;
        }
    }
    // The period's totals, the notice allowance left and the charge follow the plan and
    // the history.
    if ((changes & (kChangedPlan | kChangedHistory)) != 0) m_charge.RereadPeriod();
    if ((changes & kChangedEntries) != 0) {
        // The open sheet edits the list the window holds: it is read again after.
        if (m_settingsBusy) {
            m_entriesStale = true;
        } else {
            ReloadEntries();
        }
    }
    if (m_connection != nullptr) m_connection->DataChanged(changes);
}

void CUtilityDlg::ReloadEntries() {
    EntryList names;
    if (m_charge.ListEntries(names) != 0 || names == m_entryNames) return;
    m_entryNames = names;
    RefillEntries();
}

bool CUtilityDlg::OnPortChanged(const std::string& port) {
    const int state = m_status.state;
    if (port == m_portName) return true;
    if (m_checking || m_settingsBusy || state == kCardDialing || state == kCardOutsideConnection) return false;
    SignalDisplayOff();
    ClosePort();
    m_portName = port;
    m_parts.host.UseCardPort(m_portName);
    if (m_portName.empty()) {
        CardGone();
        return true;
    }
    if (CheckCard()) {
        m_status.entriesInSync = CheckEntries() != kEntriesRefused;
        RefillEntries();
    }
    ClosePort();
    UpdateControls();
    return true;
}

void CUtilityDlg::PinCommand(bool change) {
    if (!CheckCard()) {
        ClosePort();
        return;
    }
    const bool signalDisplay = m_status.state == kCardSignalDisplay;
    if (change) {
        PinChangeCommand(m_card, *m_ui, m_status);
    } else {
        PinLockCommand(m_card, *m_ui, m_status);
    }
    if (signalDisplay && m_status.state != kCardSignalDisplay) {
        // The SIM wants its PUK now: the display is off.
        m_view.StopTimer(kTimerSignal);
        m_view.StopTimer(kTimerOneshot);
        ApplySignalTexts();
        UpdateControls();
    }
    ClosePortUnlessSignalDisplay();
}

void CUtilityDlg::CardInfoCommand() {
    if (!CheckCard()) {
        ClosePort();
        return;
    }
    std::string number, version;
    int type = 0;
    if (m_card.GetSubscriberNumber(number, type) != CARD_OK || m_card.GetFirmwareVersion(version) != CARD_OK) {
        ShowCommError(*m_ui);
        ClosePort();
        return;
    }
    if (number.empty()) number = "...";
    ClosePortUnlessSignalDisplay();
    m_view.ShowCardInfo(number, version);
}

void CUtilityDlg::HistoryCommand() {
    if (m_view.RunHistory()) m_charge.RecomputePeriod();
}

// --- device and outside events

void CUtilityDlg::OnCardPresence(bool present) {
    if (present && m_status.state == kCardNone) {
        CardArrived(false);
    } else if (!present && m_status.state != kCardNone) {
        // As the removal notice: a port left open here would make the next arrival's
        // check pass without looking at the card, which then stays shown as absent.
        CardGone();
    }
}

void CUtilityDlg::OnDeviceNotice(CardNotice notice) {
    if (notice == CardNotice::Arrived) {
        if (m_checking || m_status.state != kCardNone) return;
        if (m_suspended) {
            m_arrivalPending = true;
        } else {
            CardArrived(true);
        }
    } else if (m_status.state != kCardNone || m_checking) {
        // A check started from no card (an arrival) is still at state 0 while it asks
        // for the PIN; the card leaving then must end it all the same.
        CardGone();
    }
}

void CUtilityDlg::CardGone() {
    if (m_checking) m_goneDuringCheck = true;
    m_status.state = kCardNone;
    if (m_card.IsOpen()) ClosePort();
    m_status.pinLockOn = false;
    m_status.entriesInSync = true;
    // Without this the one-click timer would re-run a failing check every few seconds
    // and the card would be ignored when it comes back.
    m_view.StopTimer(kTimerSignal);
    m_view.StopTimer(kTimerOneshot);
    ApplySignalTexts();
    UpdateControls();
}

// --- power

int CUtilityDlg::SleepRefusalReason() const {
    if (m_card.IsOpen()) {
        if (m_status.state == kCardSignalDisplay) return 0;  // the display goes off at suspend
        return m_settingsBusy ? IDS_STANDBY_REFUSED_SETTINGS_PORT_TEXT : IDS_STANDBY_REFUSED_CARD_TEXT;
    }
    return m_settingsBusy ? IDS_STANDBY_REFUSED_SETTINGS_TEXT : 0;
}

void CUtilityDlg::UpdateSleepRefusal() {
    const int reason = SleepRefusalReason();
    if (reason == m_refusalShown) return;
    m_refusalShown = reason;
    m_view.SetSleepRefusal(reason);
}

void CUtilityDlg::OnSuspend() {
    SignalDisplayOff();
    if (m_card.IsOpen()) {
        m_status.reopenOnResume = true;
        m_status.stateAtSuspend = m_status.state;
        ClosePort();
    } else {
        m_status.reopenOnResume = false;
    }
    if (!m_suspended) m_arrivalPending = false;
    m_suspended = true;
    UpdateSleepRefusal();
}

void CUtilityDlg::OnResume() {
    // The automatic resume: a port open at suspend is opened again. (The probe that
    // opens and closes a closed port only wakes a driver elsewhere; here it would hold
    // the window for the open's retries, so it is left out.)
    if (m_status.reopenOnResume) {
        CheckCard();
    }
    if (m_arrivalPending) {
        m_arrivalPending = false;
        m_suspended = false;
        if (!CardArrived(true)) {
            m_status.state = kCardNone;
            m_status.pinLockOn = false;
            m_status.entriesInSync = true;
            UpdateControls();
        }
    }
    m_suspended = false;
    UpdateSleepRefusal();
}

}  // namespace vr31k
