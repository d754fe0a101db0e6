#include "gui/CUtilityDlg.h"

#include "app/CUtilityApp.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QSocketNotifier>

// Quiet unless asked for (QT_LOGGING_RULES="vr31k.*.info=true").
Q_LOGGING_CATEGORY(lcMainWindow, "vr31k.mainwnd", QtWarningMsg)

namespace vr31k {

CUtilityDlg::CUtilityDlg(CUtilityApp& app, QWidget* parent) : QDialog(parent), m_app(app) {
    setObjectName(QStringLiteral("KORVANE VR31K Utility"));
    setWindowTitle(QStringLiteral("KORVANE VR31K ユーティリティ"));
    // A modeless top-level window with a minimise button, like a dialog-based tool.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    auto* layout = new QGridLayout(this);
    m_statePicture = new QLabel(this);
    m_statePicture->setMinimumSize(200, 96);
    m_statePicture->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(m_statePicture, 0, 0, 1, 2);
    m_entryCombo = new QComboBox(this);
    layout->addWidget(m_entryCombo, 1, 0);
    m_connectButton = new QPushButton(QStringLiteral("接続(&C)"), this);
    m_connectButton->setEnabled(false);
    layout->addWidget(m_connectButton, 1, 1);
}

CUtilityDlg::~CUtilityDlg() = default;

bool CUtilityDlg::Initialize() {
    const std::string socketPath = m_app.InstanceSocketPath();
    if (m_server.Listen(socketPath)) {
        m_notifier = new QSocketNotifier(m_server.Fd(), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &CUtilityDlg::OnInstanceMessages);
    } else {
        qCWarning(lcMainWindow, "cannot listen on %s: a second start cannot reach this window",
                  socketPath.c_str());
    }
    show();
    m_app.MainWindowReady();
    qCInfo(lcMainWindow, "main window ready");
    return true;
}

void CUtilityDlg::RestoreFromTray() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    emit Restored();
}

void CUtilityDlg::OnInstanceMessages() {
    for (const InstanceMessage& message : m_server.TakeMessages()) HandleOutsideMessage(message);
}

void CUtilityDlg::HandleOutsideMessage(const InstanceMessage& message) {
    if (message.message == kMsgTrayNotify && message.wParam == 1 && message.lParam == kMouseLeftButtonUp) {
        qCInfo(lcMainWindow, "restore requested");
        RestoreFromTray();
    }
}

}  // namespace vr31k
