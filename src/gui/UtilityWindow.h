#pragma once
// The main window on the desktop: a thin Qt view over the window's logic (CUtilityDlg).
// It builds the controls, menus and tray icon, turns the toolkit's events into the
// logic's events, and carries out what the logic asks (IMainView). It also receives the
// messages sent to the running instance from outside (a second start's restore request,
// the card present/gone message).
#include "gui/QtMessageBox.h"
#include "app/WindowSession.h"
#include "platform/InstanceChannel.h"

#include <QMainWindow>
#include <QMenu>
#include <QPointer>

#include <map>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSocketNotifier;
class QSystemTrayIcon;
class QTimer;

namespace vr31k {

class CCfgDialupStatusDlg;
class CHelpDiagnosisDlg;
class CDialupConnectingDlg;
class CDialupDisconnectingDlg;
class CUtilityApp;
class ISheetPage;
class SimDialogs;
class PowerEvents;
class RemoteClients;

class UtilityWindow : public QMainWindow, public IMainView {
    Q_OBJECT
public:
    explicit UtilityWindow(CUtilityApp& app, QWidget* parent = nullptr);
    ~UtilityWindow() override;

    // Builds the window, starts listening for outside messages and card notices, and
    // runs the logic's initialisation (which shows the window or puts it in the tray).
    bool Initialize();
    CUtilityDlg& Logic() { return m_session->Window(); }
    // Sleep, resume and the session's end from logind and the signals.
    void AttachPower(PowerEvents* power);
    // Log-off, shutdown or a termination signal: the logic records and hangs up.
    void SessionEnding();

    // IMainView
    MessageResult Show(const MessageBoxRequest& request) override;
    void ForceForeground() override;
    void StateChanged() override {}
    std::optional<std::string> AskPin(int attemptsLeft) override;
    std::optional<PukEntry> AskPuk(int attemptsLeft) override;
    std::optional<bool> ChoosePinLock(bool lockOn) override;
    std::optional<PinChangeEntry> AskPinChange(int attemptsLeft) override;
    void ApplyControls(const ControlStates& controls) override;
    void SetSignalTexts(const SignalDisplayTexts& texts) override;
    void SetConnectTexts(bool disconnect) override;
    void EnableConnectButton(bool enabled) override;
    void FillEntries(const ComboFill& fill) override;
    std::string SelectedEntry() const override;
    void SetConnectionValues(const std::string& entry, const std::string& duration, const std::string& volume) override;
    void ShowPicture(int bitmapId, const std::string& words) override;
    void StartTimer(int id, int intervalMs) override;
    void StopTimer(int id) override;
    bool IsShown() const override { return m_shown; }
    bool IsMinimisedOrHidden() const override;
    bool ToTray(bool animate) override;
    void FromTray(bool animate) override;
    void RaiseToTop() override;
    void SetTrayIcon(int iconId) override;
    void SetTrayTip(const std::string& tip) override;
    void ShowBalloon(const std::string& title, const std::string& text) override;
    void PostCommand(int command) override;
    void DestroyWindow() override;
    void SetSleepRefusal(int reasonTextId) override;
    bool RunUtilitySettings(UtilitySettings& settings) override;
    bool RunDialupSettings(EntryList& entries) override;
    SyncDialogEnd RunSyncDialog(EntryList& cardView) override;
    bool RunHistory() override;
    void RunTotals() override;
    void ShowCardInfo(const std::string& phoneNumber, const std::string& softwareVersion) override;
    void ShowAbout() override;
    void OpenHelp() override;
    void Post(std::function<void()> task) override;
    bool RunConnectingDialog() override;
    bool ConnectingDialogOpen() const override;
    void SetConnectingText(int textId) override;
    void EndConnectingDialog(bool connected) override;
    void RunDisconnectingDialog() override;
    bool DisconnectingDialogOpen() const override;
    void EndDisconnectingDialog() override;
    void RunResultDialog(const ConnectionFiguresText& figures) override;
    void RunStatusDialog(const ConnectionFiguresText& figures) override;
    bool StatusDialogOpen() const override;
    void RefreshStatusDialog(const ConnectionFiguresText& figures) override;
    void CloseStatusDialog() override;

signals:
    // The window came back from the tray (or to the front) on a restore request.
    void Restored();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void BuildTray();
    QAction* AddCommand(QMenu* menu, int command, int textId);
    void OnInstanceMessage(const InstanceMessage& message);
    void OnCardNotices();
    void TryTrayAgain();
    void ShowTrayIcon();
    void HideTrayIcon();
    // Dialogs belong to the window while it is shown, and stand alone while it is in
    // the tray (a hidden owner would hide them).
    QWidget* DialogParent();
    // Gives one of the window's own dialogs the owner of the moment before it is shown.
    void Adopt(QDialog& dialog);
    // The dial-up settings sheet's pages after the entry page (DialupSheetPages.cpp).
    std::vector<std::unique_ptr<ISheetPage>> MakeExtraDialupPages();
    // A placeholder for the dialogs that come with the connection and usage views.
    void NotYetAvailable(int captionId);
    // The connection diagnosis, from the help menu or a box's button; one at a time.
    void OpenDiagnosis();

    CUtilityApp& m_app;
    QtMessageBox m_boxes;
    std::unique_ptr<WindowSession> m_session;  // the window's logic, its connection and vr31kctl's requests
    std::unique_ptr<SimDialogs> m_simDialogs;
    // The connection's dialogs, made once and reused for every connection.
    std::unique_ptr<CDialupConnectingDlg> m_connectingDlg;
    std::unique_ptr<CDialupDisconnectingDlg> m_disconnectingDlg;
    std::unique_ptr<CCfgDialupStatusDlg> m_statusDlg;
    InstanceServer m_server;
    std::unique_ptr<CardMonitor> m_cardMonitor;
    QSocketNotifier* m_serverNotifier = nullptr;
    RemoteClients* m_remoteClients = nullptr;
    QSocketNotifier* m_cardNotifier = nullptr;
    PowerEvents* m_power = nullptr;

    QLabel* m_picture = nullptr;
    QLabel* m_entryLabel = nullptr;
    QLineEdit* m_entryValue = nullptr;
    QComboBox* m_entryCombo = nullptr;
    QLabel* m_timeLabel = nullptr;
    QLineEdit* m_timeValue = nullptr;
    QLabel* m_volumeLabel = nullptr;
    QLineEdit* m_volumeValue = nullptr;
    QPushButton* m_connectButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    QPushButton* m_signalButton = nullptr;
    std::map<int, QAction*> m_actions;  // by command id
    std::unique_ptr<QMenu> m_trayMenuOwner;
    QMenu* m_trayMenu = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    std::map<int, QTimer*> m_timers;
    QTimer* m_trayRetry = nullptr;
    int m_trayRetries = 0;
    int m_trayIconId = 0;
    bool m_shown = true;
    bool m_destroying = false;
    int m_sleepRefusal = 0;
    QPointer<CHelpDiagnosisDlg> m_diagnosis;
};

}  // namespace vr31k
