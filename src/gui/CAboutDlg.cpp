#include "gui/CAboutDlg.h"

#include "common/StringIds.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>

namespace vr31k {

using namespace ids;

QString CAboutDlg::VersionText(int major, int minor) {
    return Text(IDS_ABOUT_VERSION_PREFIX) + QString::asprintf("%d.%02d", major, minor);
}

CAboutDlg::CAboutDlg(QWidget* parent) : CAppDlg(IDS_DLG_ABOUT_CAPTION, QStringLiteral("CAboutDlg"), parent) {
    auto* icon = new QLabel(this);
    Identify(icon, IDS_DLG_ABOUT_ICON, QStringLiteral("iconLabel"));
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    QLabel* name = MakeLabel(IDS_APP_TITLE, QStringLiteral("nameLabel"));
    QLabel* rights = MakeLabel(IDS_DLG_ABOUT_RIGHTS, QStringLiteral("rightsLabel"));
    auto* version = new QLabel(VersionText(VR31K_VERSION_MAJOR, VR31K_VERSION_MINOR), this);
    version->setObjectName(QStringLiteral("versionLabel"));
    version->setAccessibleName(version->text());

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(16);
    layout->addWidget(icon, 0, 0, 3, 1);
    layout->addWidget(name, 0, 1);
    layout->addWidget(version, 1, 1);
    layout->addWidget(rights, 2, 1);
    layout->addWidget(MakeOk(), 3, 0, 1, 2);
}

}  // namespace vr31k
