#pragma once
// The main window's logic, without the toolkit: the card state and the window's
// members, initialisation, every menu and button command, the timers, the card's
// arrival and removal, outside messages and the power events. It asks its view
// (IMainView) for every control update, picture, timer, tray operation and dialog.
// Everything here runs on the window's thread.
#include "accounting/CRasChargeCtrl.h"
#include "card/CWKvCtrl.h"
#include "card/CardCheck.h"
#include "card/CardMonitor.h"
#include "card/CardState.h"
#include "common/SettingsStore.h"
#include "dialup/EntryList.h"
#include "mainwnd/DataChanges.h"
#include "mainwnd/MainView.h"

#include <memory>
#include <string>

namespace vr31k {

// What the window asks of the session that owns it: the card's port as the system
// shows it, the card's release, the dial-up service's device, and the start's end.
class IWindowHost {
public:
    virtual ~IWindowHost() = default;
    // The card's port as the device tree shows it now (false: no card).
    virtual bool FindCardPort(std::string& port) = 0;
    // Asks the system to release the card; true when it may be pulled out.
    virtual bool EjectCard() = 0;
    // The dial-up service's card device (SolvaneMode): after a port change.
    virtual void UseCardPort(const std::string& port) = 0;
    // The window exists: a waiting second start may go on.
    virtual void WindowReady() = 0;
    // Why `port` cannot be opened or does not answer, in one sentence; "" when nothing is seen.
    virtual std::string PortTrouble(const std::string& /*port*/) { return {}; }
};

// What the window works with; the session that owns the window owns all of it.
struct MainWindowParts {
    MainWindowParts(CWKvCtrl& cardCtrl, std::string& port, UtilitySettings& utilitySettings, CRasChargeCtrl& chargeCtrl,
                    const SettingsStore& store, IWindowHost& windowHost)
        : card(cardCtrl), portName(port), utility(utilitySettings), charge(chargeCtrl), settings(store),
          host(windowHost) {}

    CWKvCtrl& card;
    std::string& portName;
    UtilitySettings& utility;
    CRasChargeCtrl& charge;
    const SettingsStore& settings;
    IWindowHost& host;
    bool autoStartLaunch = false;
    // Card timings (tests shorten them).
    CardCheckOptions checkOptions;
};

// The connection side of the window (connect/disconnect, notices, the tick, closing
// while connected); the window's commands reach it through this seam.
class IConnectionControl {
public:
    virtual ~IConnectionControl() = default;
    // Registers the window as the receiver of connection notices.
    virtual void Start() = 0;
    virtual void ConnectCommand() = 0;
    // Closing the window: false keeps the program running.
    virtual bool MayClose() = 0;
    // Log-off, shutdown or a termination signal: record and hang up, no dialogs.
    virtual void SessionEnding() = 0;
    virtual void OnTimer() = 0;
    virtual void OpenStatusDialog() = 0;
    virtual bool IsConnected() = 0;
    // The folder's data changed outside (the window has read it again): the user's
    // limit is read again, the figures shown refreshed.
    virtual void DataChanged(DataChanges changes) = 0;
};

class CUtilityDlg {
public:
    CUtilityDlg(MainWindowParts parts, IMainView& view);
    ~CUtilityDlg();
    CUtilityDlg(const CUtilityDlg&) = delete;
    CUtilityDlg& operator=(const CUtilityDlg&) = delete;

    // The connection side; without one, the connect command does nothing.
    void SetConnectionControl(IConnectionControl* control) { m_connection = control; }

    // --- events from the view
    void OnInitDialog();
    void OnCommand(int command);
    void OnTimer(int id);
    // The tray icon, or a second start's restore request (mouse message 0x202).
    void OnTrayNotify(int64_t mouseMessage);
    // The minimise command of the title bar: to the tray.
    void OnMinimise();
    // The window's close button or the exit command.
    void OnClose();
    // Outside message 0x8067.
    void OnCardPresence(bool present);
    void OnDeviceNotice(CardNotice notice);
    // logind's PrepareForSleep(true) and (false).
    void OnSuspend();
    void OnResume();
    void OnSessionEnding();
    // Another face or program changed what `changes` names in the data folder: it is
    // read again and whatever differs applied, as if chosen here, without writing it
    // back. A connection in progress keeps to it from its next tick. A settings dialog
    // the user has open keeps what the user edits; entries wait for it to close.
    void OnDataChanged(DataChanges changes);
    // PortName of the settings now names `port`: used at once unless a connection, a
    // check or the settings hold the card (false: not taken, to be told again later).
    bool OnPortChanged(const std::string& port);

    // --- the card side, shared with the connection side
    bool CheckCard();
    int CheckEntries();
    bool CardArrived(bool lookUp);
    void UpdateControls();
    void RefreshPicture(bool readLevel);
    void ClosePort() { m_card.ClosePort(); }
    void ClosePortUnlessSignalDisplay();
    void SignalDisplayOff();
    void RefillEntries();
    // The current entry's index into DUP_CONFIG (the other keys as the file holds them).
    void WriteDialupSettings();
    // The standby refusal's text id for the current moment (0: standby allowed).
    int SleepRefusalReason() const;

    int State() const { return m_status.state; }
    void SetState(int state) { m_status.state = state; }
    CardStatus& Status() { return m_status; }
    int SignalLevel() const { return m_signalLevel; }
    const EntryList& EntryNames() const { return m_entryNames; }
    bool SettingsBusy() const { return m_settingsBusy; }
    bool Suspended() const { return m_suspended; }
    bool ArrivalPending() const { return m_arrivalPending; }
    IMainView& View() { return m_view; }
    CRasChargeCtrl& Charge() { return m_charge; }
    CWKvCtrl& Card() { return m_card; }
    const UtilitySettings& Utility() const { return m_utility; }
    const SettingsStore& SettingsFile() const { return m_parts.settings; }

private:
    class CardUiGate;

    void ApplySignalTexts();
    void ToggleSignalDisplay();
    void RemoveCommand();
    void UtilitySettingsCommand();
    void ApplyUtility(const UtilitySettings& settings);
    void ReloadEntries();
    void DialupSettingsCommand();
    void PinCommand(bool change);
    void CardInfoCommand();
    void HistoryCommand();
    bool ButtonsAct() const { return m_view.IsShown(); }
    void UpdateSleepRefusal();
    void CardGone();
    bool OneshotMode() const { return m_utility.antDispOneshot != 0; }

    MainWindowParts m_parts;
    IMainView& m_view;
    CWKvCtrl& m_card;
    std::string& m_portName;
    UtilitySettings& m_utility;
    CRasChargeCtrl& m_charge;
    std::unique_ptr<CardUiGate> m_ui;  // the view, with standby kept in step around dialogs
    IConnectionControl* m_connection = nullptr;

    CardStatus m_status;  // card state, PIN lock, entries in sync, reopen on resume
    int m_signalLevel = -1;
    EntryList m_entryNames;
    bool m_settingsBusy = false;
    bool m_entriesStale = false;  // changed outside while the settings were open
    bool m_suspended = false;
    bool m_arrivalPending = false;
    bool m_checking = false;  // a card check is running (its dialogs are open)
    bool m_goneDuringCheck = false;  // the card went away while the running check waited
    bool m_levelErrorShown = false;
    int m_refusalShown = 0;
};

}  // namespace vr31k
