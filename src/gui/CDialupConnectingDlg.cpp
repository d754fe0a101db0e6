#include "gui/CDialupConnectingDlg.h"

#include "common/StringIds.h"
#include "gui/Pictures.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace vr31k {

using namespace ids;

namespace {
// The illustration: the connection's two arrows (state picture 154) at twice their size.
constexpr int kConnectedPicture = 154;
constexpr int kPictureScale = 2;
}  // namespace

CDialupConnectingDlg::CDialupConnectingDlg(QWidget* parent)
    : CAppDlg(IDS_DLG_CONNECTING_CAPTION, QStringLiteral("CDialupConnectingDlg"), parent) {
    auto* picture = new QLabel(this);
    Identify(picture, IDS_DLG_CONNECTING_PICTURE, QStringLiteral("pictureLabel"));
    QPixmap arrows = StatePicture(kConnectedPicture, devicePixelRatioF() * kPictureScale);
    arrows.setDevicePixelRatio(devicePixelRatioF());
    picture->setPixmap(arrows);
    picture->setFixedSize(kStatePictureSize * kPictureScale);

    m_progress = MakeLabel(IDS_DLG_CONNECTING_TEXT, QStringLiteral("progressLabel"));
    // Room for the longest progress text, so the dialog keeps its size while they change.
    int widest = 0;
    for (int id : {IDS_PROGRESS_OPEN_PORT, IDS_PROGRESS_CONNECT_DEVICE, IDS_PROGRESS_DEVICE_CONNECTED,
                   IDS_PROGRESS_AUTHENTICATE, IDS_PROGRESS_AUTHENTICATED, IDS_PROGRESS_CONNECTED}) {
        widest = std::max(widest, m_progress->fontMetrics().horizontalAdvance(Text(id)));
    }
    m_progress->setMinimumWidth(widest + m_progress->fontMetrics().averageCharWidth() * 4);

    // Cancel alone: the dial's end closes the dialog with OK.
    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("buttons"));
    buttons->setCenterButtons(true);
    QPushButton* cancel = buttons->addButton(Text(IDS_BUTTON_CANCEL), QDialogButtonBox::RejectRole);
    Identify(cancel, IDS_BUTTON_CANCEL, QStringLiteral("cancelButton"));
    cancel->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(16);
    layout->addWidget(picture, 0, 0);
    layout->addWidget(m_progress, 0, 1, Qt::AlignVCenter);
    layout->addWidget(buttons, 1, 0, 1, 2);
}

bool CDialupConnectingDlg::Run() {
    // Each dial starts from the opening text, as a freshly made dialog would.
    SetProgress(IDS_DLG_CONNECTING_TEXT);
    return exec() == QDialog::Accepted;
}

void CDialupConnectingDlg::SetProgress(int textId) {
    m_progress->setText(Text(textId));
    m_progress->setAccessibleName(m_progress->text());
}

void CDialupConnectingDlg::Finish(bool connected) {
    if (!IsOpen()) return;
    // Only asks the loop to end: this runs inside it, from a posted dial event.
    done(connected ? QDialog::Accepted : QDialog::Rejected);
}

}  // namespace vr31k
