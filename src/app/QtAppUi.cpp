#include "app/QtAppUi.h"

#include "app/StringTable.h"
#include "app/UtilityApp.h"
#include "mainwnd/CUtilityDlg.h"

#include <QMessageBox>
#include <QString>

namespace vr31k {

namespace {
QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning:
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}
QString Text(int id) {
    const std::string_view s = LoadString(id);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
}  // namespace

CQtAppUi::CQtAppUi() = default;
CQtAppUi::~CQtAppUi() = default;

void CQtAppUi::ShowMessage(int captionId, int textId, MessageIcon icon) {
    QMessageBox box(ToQtIcon(icon), Text(captionId), Text(textId), QMessageBox::Ok);
    box.exec();
}

bool CQtAppUi::CreateMainWindow(CUtilityApp& app) {
    m_window = std::make_unique<CUtilityDlg>(app);
    return m_window->Initialize();
}

}  // namespace vr31k
