#include "gui/UtilityWindow.h"

#include "accounting/ConnectionSnapshot.h"
#include "app/CUtilityApp.h"
#include "app/MachineDoctor.h"
#include "common/StringIds.h"
#include "dialup/CardContexts.h"
#include "gui/CAboutDlg.h"
#include "gui/CAppDlg.h"
#include "gui/CCfgDialupStatusDlg.h"
#include "gui/CCfgDialupEntryPage.h"
#include "gui/CCfgDialupSheet.h"
#include "gui/CCfgHistoryListDlg.h"
#include "gui/CCfgHistoryTotalMonthPage.h"
#include "gui/CCfgHistoryTotalSheet.h"
#include "gui/CCfgUtilityDlg.h"
#include "gui/CDialupConnectingDlg.h"
#include "gui/CDialupDisconnectingDlg.h"
#include "gui/CDialupResultDlg.h"
#include "gui/CHelpCardInfoDlg.h"
#include "gui/CHelpDiagnosisDlg.h"
#include "gui/CSyncApnDlg.h"
#include "gui/Pictures.h"
#include "gui/PowerEvents.h"
#include "gui/RemoteClients.h"
#include "gui/SimDialogs.h"
#include "gui/TotalsFields.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

// Quiet unless asked for (QT_LOGGING_RULES="vr31k.*.info=true").
Q_LOGGING_CATEGORY(lcMainWindow, "vr31k.mainwnd", QtWarningMsg)

namespace vr31k {

using namespace ids;

namespace {


// The accessible name of a button: its text without the mnemonic part "(&X)".
QString ButtonName(int id) {
    QString text = Text(id);
    const qsizetype open = text.indexOf(QStringLiteral("(&"));
    if (open >= 0) text = text.left(open) + text.mid(open + 4);
    return text.remove(QLatin1Char('&'));
}

constexpr int kTrayAttempts = 3;
constexpr int kTrayRetryMs = 1000;
constexpr int kHistoryRetryMs = 2000;

}  // namespace

UtilityWindow::UtilityWindow(CUtilityApp& app, QWidget* parent)
    : QMainWindow(parent),
      m_app(app),
      m_boxes(this),
      m_simDialogs(std::make_unique<SimDialogs>(this, m_boxes)),
      m_connectingDlg(std::make_unique<CDialupConnectingDlg>()),
      m_disconnectingDlg(std::make_unique<CDialupDisconnectingDlg>()),
      m_statusDlg(std::make_unique<CCfgDialupStatusDlg>()) {
    // The program ends through DestroyWindow only. Otherwise a dialog closed by its title
    // bar's button while the window is in the tray (so the dialog stands alone) would be
    // the last window closed, and end the program with the connection up and unrecorded.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    setObjectName(QStringLiteral("KORVANE VR31K Utility"));
    setWindowTitle(Text(IDS_APP_TITLE));
    setAccessibleName(Text(IDS_APP_TITLE));
    setWindowIcon(ApplicationIcon());
    // A small tool window: minimise and close, no maximise, fixed size.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    BuildControls();
    BuildMenus();
    BuildTray();
    for (int id : {kTimerSignal, kTimerOneshot, kTimerConnection}) {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { m_session->Window().OnTimer(id); });
        m_timers[id] = timer;
    }

    m_session = std::make_unique<WindowSession>(app, *this);
    // A history another program kept locked through the start is opened once it is free;
    // the connections meanwhile are kept in the spool, and imported then.
    if (m_app.HistoryPending()) {
        auto* retry = new QTimer(this);
        connect(retry, &QTimer::timeout, this, [this, retry] {
            m_app.RetryHistoryOpen();
            if (!m_app.HistoryPending()) retry->deleteLater();
        });
        retry->start(kHistoryRetryMs);
    }
    // After the box that offered it has closed and its card work has ended.
    QtMessageBox::SetDiagnosisOpener(
        [this] { QMetaObject::invokeMethod(this, &UtilityWindow::OpenDiagnosis, Qt::QueuedConnection); });
}

UtilityWindow::~UtilityWindow() {
    QtMessageBox::SetDiagnosisOpener({});
    // Its clients refer to the remote control, which goes before the window's children.
    delete m_remoteClients;
    HideTrayIcon();
}

void UtilityWindow::BuildControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* grid = new QGridLayout();
    m_picture = new QLabel(central);
    m_picture->setObjectName(QStringLiteral("picture1037"));
    m_picture->setAccessibleName(Text(IDS_PICTURE_NAME));
    m_picture->setFixedSize(60, 40);
    grid->addWidget(m_picture, 0, 0, 3, 1, Qt::AlignTop);

    const auto label = [&](int textId, const char* name) {
        auto* l = new QLabel(Text(textId), central);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    // Read-only fields: a screen reader reads the figure under the caption's name.
    const auto value = [&](int nameTextId, const char* name) {
        QLineEdit* v = MakeValueField(central, QLatin1String(name), AccessibleNameOf(nameTextId));
        v->setMinimumWidth(160);
        return v;
    };
    m_entryLabel = label(IDS_LABEL_ENTRY, "label1039");
    m_entryValue = value(IDS_LABEL_ENTRY, "value1040");
    m_entryCombo = new QComboBox(central);
    m_entryCombo->setObjectName(QStringLiteral("combo1057"));
    m_entryCombo->setAccessibleName(Text(IDS_LABEL_ENTRY).remove(QStringLiteral(" :")));
    m_entryLabel->setBuddy(m_entryCombo);
    m_timeLabel = label(IDS_LABEL_TIME, "label1041");
    m_timeValue = value(IDS_LABEL_TIME, "value1042");
    m_volumeLabel = label(IDS_LABEL_VOLUME, "label1043");
    m_volumeValue = value(IDS_LABEL_VOLUME, "value1044");
    grid->addWidget(m_entryLabel, 0, 1);
    grid->addWidget(m_entryValue, 0, 2);
    grid->addWidget(m_entryCombo, 0, 2);  // the same place: one of the two is shown
    grid->addWidget(m_timeLabel, 1, 1);
    grid->addWidget(m_timeValue, 1, 2);
    grid->addWidget(m_volumeLabel, 2, 1);
    grid->addWidget(m_volumeValue, 2, 2);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);

    const auto button = [&](int textId, int command, const char* name) {
        auto* b = new QPushButton(Text(textId), central);
        b->setObjectName(QLatin1String(name));
        b->setAccessibleName(ButtonName(textId));
        b->setAutoDefault(false);  // Enter never presses a button of the window
        connect(b, &QPushButton::clicked, this, [this, command] { m_session->Window().OnCommand(command); }, Qt::QueuedConnection);
        return b;
    };
    auto* buttons = new QHBoxLayout();
    m_connectButton = button(IDS_CONNECT_BUTTON, kCmdConnectButton, "button1018");
    m_removeButton = button(IDS_REMOVE_BUTTON, kCmdRemoveButton, "button1019");
    m_signalButton = button(IDS_SIGNAL_BUTTON_ONESHOT, kCmdSignalButton, "button1038");
    buttons->addWidget(m_connectButton);
    buttons->addWidget(m_removeButton);
    buttons->addWidget(m_signalButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    setCentralWidget(central);
}

QAction* UtilityWindow::AddCommand(QMenu* menu, int command, int textId) {
    QAction* action = menu->addAction(Text(textId));
    action->setObjectName(QStringLiteral("command%1").arg(command));
    // Queued: a command's dialogs run in their own loop, after the click (or the
    // assistive tool's action) that asked for it has been answered.
    connect(action, &QAction::triggered, this, [this, command] { m_session->Window().OnCommand(command); }, Qt::QueuedConnection);
    m_actions[command] = action;
    return action;
}

void UtilityWindow::BuildMenus() {
    QMenu* card = menuBar()->addMenu(Text(IDS_MENU_CARD));
    AddCommand(card, kCmdConnect, IDS_CONNECT_ITEM);
    AddCommand(card, kCmdRemove, IDS_MENU_REMOVE);
    card->addSeparator();
    AddCommand(card, kCmdExit, IDS_MENU_EXIT);
    QMenu* settings = menuBar()->addMenu(Text(IDS_MENU_SETTINGS));
    AddCommand(settings, kCmdUtilitySettings, IDS_MENU_UTILITY_SETTINGS);
    AddCommand(settings, kCmdDialupSettings, IDS_MENU_DIALUP_SETTINGS);
    settings->addSeparator();
    AddCommand(settings, kCmdPinLock, IDS_MENU_PIN_LOCK);
    AddCommand(settings, kCmdPinChange, IDS_MENU_PIN_CHANGE);
    settings->addSeparator();
    AddCommand(settings, kCmdDialupStatus, IDS_MENU_DIALUP_STATUS);
    AddCommand(settings, kCmdHistory, IDS_MENU_HISTORY);
    AddCommand(settings, kCmdTotals, IDS_MENU_TOTALS);
    QMenu* help = menuBar()->addMenu(Text(IDS_MENU_HELP_TOP));
    AddCommand(help, kCmdCardInfo, IDS_MENU_CARD_INFO);
    QAction* diagnosis = help->addAction(Text(IDS_MENU_DIAGNOSIS));
    diagnosis->setObjectName(QStringLiteral("diagnosisItem"));
    connect(diagnosis, &QAction::triggered, this, &UtilityWindow::OpenDiagnosis, Qt::QueuedConnection);
    help->addSeparator();
    AddCommand(help, kCmdHelp, IDS_MENU_HELP);
    AddCommand(help, kCmdAbout, IDS_MENU_ABOUT);

    // Not a child of the window: the window is disabled while it is in the tray, and a
    // child menu would be disabled with it.
    m_trayMenuOwner = std::make_unique<QMenu>();
    m_trayMenu = m_trayMenuOwner.get();
    m_trayMenu->setObjectName(QStringLiteral("trayMenu169"));
    AddCommand(m_trayMenu, kCmdTraySignal, IDS_TRAY_SIGNAL_DISPLAY)->setCheckable(true);
    AddCommand(m_trayMenu, kCmdTrayConnect, IDS_TRAY_CONNECT);
    AddCommand(m_trayMenu, kCmdTrayRemove, IDS_TRAY_REMOVE);
    AddCommand(m_trayMenu, kCmdTrayDialupStatus, IDS_TRAY_DIALUP_STATUS);
    m_trayMenu->addSeparator();
    AddCommand(m_trayMenu, kCmdTrayMainWindow, IDS_TRAY_MAIN_WINDOW);
}

void UtilityWindow::BuildTray() {
    m_tray = new QSystemTrayIcon(this);
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) m_session->Window().OnTrayNotify(0x202);
        // An embedded (XEmbed) tray icon reports the right click but may leave the menu
        // to us; a status-notifier host shows it itself.
        if (reason == QSystemTrayIcon::Context && !m_trayMenu->isVisible()) m_trayMenu->popup(QCursor::pos());
    });
    m_trayRetry = new QTimer(this);
    m_trayRetry->setInterval(kTrayRetryMs);
    connect(m_trayRetry, &QTimer::timeout, this, &UtilityWindow::TryTrayAgain);
}

bool UtilityWindow::Initialize() {
    const std::string socketPath = m_app.InstanceSocketPath();
    if (m_server.Listen(socketPath)) {
        m_remoteClients = new RemoteClients(m_server, m_session->Remote(),
                                            [this](const InstanceMessage& message) { OnInstanceMessage(message); }, this);
        m_serverNotifier = new QSocketNotifier(m_server.Fd(), QSocketNotifier::Read, this);
        connect(m_serverNotifier, &QSocketNotifier::activated, m_remoteClients, &RemoteClients::AcceptWaiting);
    } else {
        qCWarning(lcMainWindow, "cannot listen on %s: a second start cannot reach this window", socketPath.c_str());
    }
    m_cardMonitor = std::make_unique<CardMonitor>(m_app.Utility().solvaneMode != 0);
    if (m_cardMonitor->IsWatching()) {
        m_cardNotifier = new QSocketNotifier(m_cardMonitor->Fd(), QSocketNotifier::Read, this);
        connect(m_cardNotifier, &QSocketNotifier::activated, this, &UtilityWindow::OnCardNotices);
    } else {
        qCWarning(lcMainWindow, "the card's arrival and removal cannot be watched (no udev monitor)");
    }
    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    m_session->Start();
    qCInfo(lcMainWindow, "main window ready");
    return true;
}

// Each time: the connection side records and hangs up only what is still up.
void UtilityWindow::SessionEnding() { m_session->Window().OnSessionEnding(); }

// --- outside messages and card notices

void UtilityWindow::OnInstanceMessage(const InstanceMessage& message) {
    if (message.message == kMsgTrayNotify && message.wParam == 1) {
        if (message.lParam == kMouseLeftButtonUp) qCInfo(lcMainWindow, "restore requested");
        m_session->Window().OnTrayNotify(message.lParam);
        if (message.lParam == kMouseLeftButtonUp) emit Restored();
    } else if (message.message == kMsgCardPresence) {
        m_session->Window().OnCardPresence(message.wParam != 0);
    }
}

void UtilityWindow::OnCardNotices() {
    while (const std::optional<CardNotice> notice = m_cardMonitor->Next()) m_session->Window().OnDeviceNotice(*notice);
}

// --- window events

void UtilityWindow::closeEvent(QCloseEvent* event) {
    if (m_destroying) {
        event->accept();
        return;
    }
    event->ignore();  // the logic decides (a connection may ask first)
    m_session->Window().OnClose();
}

void UtilityWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && m_shown) {
        // Minimising puts the window in the tray (where there is one).
        QTimer::singleShot(0, this, [this] {
            if (!(windowState() & Qt::WindowMinimized)) return;
            m_session->Window().OnMinimise();
        });
    }
}

void UtilityWindow::keyPressEvent(QKeyEvent* event) {
    // Escape does nothing and Enter closes nothing: this window is not a dialog to dismiss.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

// --- IMainView: boxes and prompts

QWidget* UtilityWindow::DialogParent() { return m_shown ? this : nullptr; }

MessageResult UtilityWindow::Show(const MessageBoxRequest& request) {
    m_session->Remote().NoteBox(request);
    // A box with the window in the tray has no visible owner: it stands alone.
    m_boxes.SetParent(DialogParent());
    // One asked for a dialog (the settings sheet's questions) belongs to that dialog,
    // which goes before the window's boxes do: it is not kept as their owner.
    if (QWidget* modal = QApplication::activeModalWidget()) return QtMessageBox(modal).Show(request);
    return m_boxes.Show(request);
}

void UtilityWindow::ForceForeground() {
    if (!m_shown) return;  // in the tray the box itself comes forward
    raise();
    activateWindow();
}

std::optional<std::string> UtilityWindow::AskPin(int attemptsLeft) { return m_simDialogs->AskPin(attemptsLeft); }
std::optional<PukEntry> UtilityWindow::AskPuk(int attemptsLeft) { return m_simDialogs->AskPuk(attemptsLeft); }
std::optional<bool> UtilityWindow::ChoosePinLock(bool lockOn) { return m_simDialogs->ChoosePinLock(lockOn); }
std::optional<PinChangeEntry> UtilityWindow::AskPinChange(int attemptsLeft) {
    return m_simDialogs->AskPinChange(attemptsLeft);
}

// --- IMainView: controls

void UtilityWindow::ApplyControls(const ControlStates& c) {
    m_actions[kCmdConnect]->setEnabled(c.connect);
    m_actions[kCmdTrayConnect]->setEnabled(c.connect);
    m_actions[kCmdRemove]->setEnabled(c.remove);
    m_actions[kCmdTrayRemove]->setEnabled(c.remove);
    for (int command : {kCmdDialupSettings, kCmdPinLock, kCmdCardInfo}) m_actions[command]->setEnabled(c.cardSettings);
    m_actions[kCmdPinChange]->setEnabled(c.pinChange);
    m_actions[kCmdDialupStatus]->setEnabled(c.dialupStatus);
    m_actions[kCmdTrayDialupStatus]->setEnabled(c.dialupStatus);
    m_actions[kCmdTraySignal]->setEnabled(c.traySignal);
    m_connectButton->setEnabled(c.connectButton);
    m_removeButton->setEnabled(c.removeButton);
    m_signalButton->setEnabled(c.signalButton);
    m_entryLabel->setEnabled(c.entryLabel);
    m_timeLabel->setEnabled(c.figureLabels);
    m_volumeLabel->setEnabled(c.figureLabels);
    if (c.emptyValues) {
        m_entryValue->clear();
        m_timeValue->clear();
        m_volumeValue->clear();
    }
    m_entryCombo->setVisible(c.comboShown);
    m_entryCombo->setEnabled(c.comboShown);
    m_entryValue->setVisible(!c.comboShown);
    m_entryLabel->setBuddy(c.comboShown ? static_cast<QWidget*>(m_entryCombo) : m_entryValue);
}

void UtilityWindow::SetSignalTexts(const SignalDisplayTexts& texts) {
    QAction* item = m_actions[kCmdTraySignal];
    item->setText(Text(texts.trayItemTextId));
    item->setChecked(texts.checked);
    m_signalButton->setText(Text(texts.buttonTextId));
    m_signalButton->setAccessibleName(ButtonName(texts.buttonTextId));
    // The mode's width, or the text's when the desktop's font needs more: a cut caption
    // would hide whether the display is on.
    m_signalButton->setFixedWidth(std::max(texts.buttonWidth, m_signalButton->sizeHint().width()));
}

void UtilityWindow::SetConnectTexts(bool disconnect) {
    const int button = disconnect ? IDS_DISCONNECT_BUTTON : IDS_CONNECT_BUTTON;
    m_connectButton->setText(Text(button));
    m_connectButton->setAccessibleName(ButtonName(button));
    const QString item = Text(disconnect ? IDS_DISCONNECT_ITEM : IDS_CONNECT_ITEM);
    m_actions[kCmdConnect]->setText(item);
    m_actions[kCmdTrayConnect]->setText(item);
}

void UtilityWindow::EnableConnectButton(bool enabled) { m_connectButton->setEnabled(enabled); }

void UtilityWindow::FillEntries(const ComboFill& fill) {
    m_entryCombo->clear();
    for (const std::string& name : fill.items) m_entryCombo->addItem(QString::fromStdString(name));
    m_entryCombo->setCurrentIndex(fill.selected);
}

std::string UtilityWindow::SelectedEntry() const { return m_entryCombo->currentText().toStdString(); }

void UtilityWindow::SetConnectionValues(const std::string& entry, const std::string& duration,
                                        const std::string& volume) {
    m_entryValue->setText(QString::fromStdString(entry));
    m_timeValue->setText(QString::fromStdString(duration));
    m_volumeValue->setText(QString::fromStdString(volume));
}

void UtilityWindow::ShowPicture(int bitmapId, const std::string& words) {
    m_picture->setPixmap(StatePicture(bitmapId, devicePixelRatioF()));
    m_picture->setAccessibleName(Text(IDS_PICTURE_NAME) + QStringLiteral(": ") + QString::fromStdString(words));
    m_picture->setProperty("pictureId", bitmapId);
}

void UtilityWindow::StartTimer(int id, int intervalMs) {
    auto it = m_timers.find(id);
    if (it == m_timers.end()) return;
    it->second->start(intervalMs);
}

void UtilityWindow::StopTimer(int id) {
    auto it = m_timers.find(id);
    if (it != m_timers.end()) it->second->stop();
}

// --- IMainView: window and tray

bool UtilityWindow::IsMinimisedOrHidden() const { return !m_shown || isMinimized() || !isVisible(); }

bool UtilityWindow::ToTray(bool /*animate*/) {
    // The caption animation between window and tray is left out: desktops animate
    // hiding and showing their own way.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (!isVisible() && !m_trayRetry->isActive()) {
            // At log-on the tray may come up after us: try again, then show the window.
            m_trayRetries = 0;
            m_shown = false;
            m_trayRetry->start();
            return true;
        }
        qCInfo(lcMainWindow, "no system tray: the window stays shown");
        return false;
    }
    m_shown = false;
    hide();
    setEnabled(false);
    m_trayIconId = kAppIconId;
    m_tray->setIcon(TrayIcon(kAppIconId));
    m_tray->setToolTip(Text(IDS_APP_TITLE));
    ShowTrayIcon();
    return true;
}

void UtilityWindow::TryTrayAgain() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_trayRetry->stop();
        ToTray(false);
        m_session->Window().RefreshPicture(false);
        return;
    }
    if (++m_trayRetries >= kTrayAttempts) {
        m_trayRetry->stop();
        qCWarning(lcMainWindow, "no system tray after %d attempts: showing the window", kTrayAttempts);
        FromTray(false);
        m_session->Window().RefreshPicture(false);
    }
}

void UtilityWindow::FromTray(bool /*animate*/) {
    m_trayRetry->stop();
    HideTrayIcon();
    setEnabled(true);
    m_shown = true;
    showNormal();
    raise();
    activateWindow();
    m_session->Window().RefreshPicture(false);
}

void UtilityWindow::ShowTrayIcon() {
    m_tray->show();
    qCInfo(lcMainWindow, "in the tray");
}

void UtilityWindow::HideTrayIcon() {
    if (m_tray != nullptr) m_tray->hide();
}

void UtilityWindow::RaiseToTop() {
    if (!m_shown) return;
    raise();
}

void UtilityWindow::SetTrayIcon(int iconId) {
    if (m_shown || iconId == m_trayIconId) return;
    m_trayIconId = iconId;
    m_tray->setIcon(TrayIcon(iconId));
}

void UtilityWindow::SetTrayTip(const std::string& tip) { m_tray->setToolTip(QString::fromStdString(tip)); }

void UtilityWindow::ShowBalloon(const std::string& title, const std::string& text) {
    if (title.empty() && text.empty()) return;  // nothing to clear: balloons time out
    if (m_tray->isVisible() && QSystemTrayIcon::supportsMessages()) {
        m_tray->showMessage(QString::fromStdString(title), QString::fromStdString(text), QSystemTrayIcon::Information,
                            3000);
    }
}

void UtilityWindow::PostCommand(int command) {
    QMetaObject::invokeMethod(this, [this, command] { m_session->Window().OnCommand(command); }, Qt::QueuedConnection);
}

void UtilityWindow::DestroyWindow() {
    m_destroying = true;
    HideTrayIcon();
    for (auto& [id, timer] : m_timers) timer->stop();
    close();
    QCoreApplication::quit();
}

void UtilityWindow::SetSleepRefusal(int reasonTextId) {
    m_sleepRefusal = reasonTextId;
    if (m_power == nullptr) return;
    m_power->SetSleepRefusal(reasonTextId == 0 ? std::nullopt : std::optional<QString>(Text(reasonTextId)));
}

void UtilityWindow::AttachPower(PowerEvents* power) {
    m_power = power;
    connect(power, &PowerEvents::aboutToSleep, this, [this] { m_session->Window().OnSuspend(); });
    connect(power, &PowerEvents::resumed, this, [this] { m_session->Window().OnResume(); });
    connect(power, &PowerEvents::sessionEnding, this, &UtilityWindow::SessionEnding);
    SetSleepRefusal(m_sleepRefusal);
}

// --- IMainView: dialogs

bool UtilityWindow::RunUtilitySettings(UtilitySettings& settings) {
    CCfgUtilityDlg dialog(settings, m_boxes, DialogParent());
    return dialog.Run();
}

bool UtilityWindow::RunDialupSettings(EntryList& entries) {
    CRasChargeCtrl& charge = m_app.Charge();
    CardContexts card(m_app.Card(), *this, m_session->Port());
    CCfgDialupSheet sheet(DialogParent());
    // The entry page changes `entries` as it commits, OK or not.
    CCfgDialupEntryPage entryPage(entries, charge, card, *this, charge.Plan().entryIndex);
    const std::vector<std::unique_ptr<ISheetPage>> extra = MakeExtraDialupPages();
    sheet.AddPage(&entryPage);
    for (const auto& page : extra) sheet.AddPage(page.get());
    connect(&entryPage, &CCfgDialupEntryPage::Committed, &sheet, &CCfgDialupSheet::ChangesCommitted);
    return sheet.Run();
}

SyncDialogEnd UtilityWindow::RunSyncDialog(EntryList& cardView) {
    CardContexts card(m_app.Card(), *this, m_session->Port());
    CSyncApnDlg dialog(cardView, m_app.Charge(), card, *this, DialogParent());
    return dialog.Run();
}

bool UtilityWindow::RunHistory() {
    CCfgHistoryListDlg dialog(m_app.Charge().History(), m_app.Settings(), m_boxes, DialogParent());
    return dialog.Run();
}

void UtilityWindow::RunTotals() {
    CRasChargeCtrl& charge = m_app.Charge();
    // The programs of links that ended since the start, for the programs' page.
    m_app.Shared().ImportPrograms(m_app.Paths());
    CCfgHistoryTotalSheet sheet(charge, DialogParent());
    // Only the current period is heading anywhere.
    sheet.MonthPage()->SetProjection([&charge](const std::string& period) {
        return period == charge.Period().period ? PeriodOf(charge, false).projection : PeriodProjection{};
    });
    const LimitSettings limit = m_app.Settings().ReadLimit();
    sheet.MonthPage()->SetPace([&charge, limit](const std::string& period) {
        return period == charge.Period().period ? *PeriodOf(charge, false, limit).pace : PeriodPace{};
    });
    sheet.Run();
}

void UtilityWindow::Post(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

// The connection's dialogs. The End and Close calls arrive from posted events, that is
// inside the dialog's own modal loop: they only ask the loop to end.
void UtilityWindow::Adopt(QDialog& dialog) {
    QWidget* owner = DialogParent();
    if (dialog.parentWidget() != owner) dialog.setParent(owner, dialog.windowFlags());
    // Going to the tray disabled the window and its child windows with it; a new owner
    // does not undo that.
    dialog.setEnabled(true);
}

bool UtilityWindow::RunConnectingDialog() {
    if (m_connectingDlg->IsOpen()) return false;
    Adopt(*m_connectingDlg);
    return m_connectingDlg->Run();
}

bool UtilityWindow::ConnectingDialogOpen() const { return m_connectingDlg->IsOpen(); }
void UtilityWindow::SetConnectingText(int textId) { m_connectingDlg->SetProgress(textId); }
void UtilityWindow::EndConnectingDialog(bool connected) { m_connectingDlg->Finish(connected); }

void UtilityWindow::RunDisconnectingDialog() {
    if (m_disconnectingDlg->IsOpen()) return;
    Adopt(*m_disconnectingDlg);
    m_disconnectingDlg->Run();
}

bool UtilityWindow::DisconnectingDialogOpen() const { return m_disconnectingDlg->IsOpen(); }
void UtilityWindow::EndDisconnectingDialog() { m_disconnectingDlg->Finish(); }

void UtilityWindow::RunResultDialog(const ConnectionFiguresText& figures) {
    CDialupResultDlg dialog(figures, DialogParent());
    dialog.exec();
}

void UtilityWindow::RunStatusDialog(const ConnectionFiguresText& figures) {
    if (m_statusDlg->IsOpen()) return;  // one showing at a time
    Adopt(*m_statusDlg);
    m_statusDlg->Run(figures);
}

bool UtilityWindow::StatusDialogOpen() const { return m_statusDlg->IsOpen(); }
void UtilityWindow::RefreshStatusDialog(const ConnectionFiguresText& figures) { m_statusDlg->Refresh(figures); }
void UtilityWindow::CloseStatusDialog() { m_statusDlg->Close(); }

void UtilityWindow::ShowCardInfo(const std::string& phoneNumber, const std::string& softwareVersion) {
    CHelpCardInfoDlg dialog(phoneNumber, softwareVersion, DialogParent());
    dialog.exec();
}

void UtilityWindow::ShowAbout() {
    CAboutDlg dialog(DialogParent());
    dialog.exec();
}

void UtilityWindow::OpenHelp() {
    const QString manual = QStringLiteral(VR31K_MANUAL_PATH);
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(manual))) {
        qCWarning(lcMainWindow, "cannot open the manual %s", qPrintable(manual));
    }
}

void UtilityWindow::OpenDiagnosis() {
    if (m_diagnosis) {
        m_diagnosis->raise();
        m_diagnosis->activateWindow();
        return;
    }
    // Taken now: the checks run on their own thread and read nothing of the window.
    const std::string folder = m_app.Paths().folder;
    const std::string port = m_session->Port();
    const bool chipset = m_app.Utility().solvaneMode != 0;
    // The window's own open port is not asked again: the SIM query would find it locked.
    const bool portOpenHere = m_app.Card().IsOpen();
    const bool trayHost = QSystemTrayIcon::isSystemTrayAvailable();
    const std::string link = m_session->Connection().IsConnected() ? m_session->Charge().FoundConnection().interfaceName
                                                                    : std::string();
    CHelpDiagnosisDlg dialog(
        [=](bool connectionTest) {
            DoctorInput input = MachineDoctorInput(folder, port.empty() ? std::nullopt : std::optional<std::string>(port),
                                                   chipset, link, connectionTest);
            input.portOpenHere = portOpenHere;
            input.trayHost = trayHost;
            return RunDoctor(input);
        },
        !link.empty(), DialogParent());
    m_diagnosis = &dialog;
    dialog.exec();
}

void UtilityWindow::NotYetAvailable(int captionId) {
    MessageBoxRequest request = MakeMessage(captionId, IDS_NOT_YET_TEXT, MessageIcon::Information);
    Show(request);
}

}  // namespace vr31k
