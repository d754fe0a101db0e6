#include "gui/CAppDlg.h"

#include "common/StringIds.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

namespace vr31k {

CAppDlg::CAppDlg(int captionId, const QString& objectName, QWidget* parent) : QDialog(parent) {
    setObjectName(objectName);
    setWindowTitle(Text(captionId));
    setAccessibleName(Text(captionId));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void CAppDlg::showEvent(QShowEvent* event) {
    // Fixed like the templates they stand for; the subclass has set its layout by now.
    if (m_fixedSize && layout() != nullptr) layout()->setSizeConstraint(QLayout::SetFixedSize);
    QDialog::showEvent(event);
    // A transient of a hidden main window would otherwise open behind other windows.
    // Once the window is mapped: some platforms ignore an activation before that.
    QTimer::singleShot(0, this, [this] {
        raise();
        activateWindow();
    });
}

void CAppDlg::Identify(QWidget* control, int nameId, const QString& objectName) {
    control->setObjectName(objectName);
    control->setAccessibleName(AccessibleNameOf(nameId));
}

QLabel* CAppDlg::MakeLabel(int textId, const QString& objectName) { return MakeControl<QLabel>(textId, objectName); }

QLineEdit* CAppDlg::MakeSecretEdit(int nameId, const QString& objectName) {
    auto* edit = new QLineEdit(this);
    Identify(edit, nameId, objectName);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QDialogButtonBox* CAppDlg::MakeButtons(bool withCancel) {
    auto* box = new QDialogButtonBox(this);
    box->setObjectName(QStringLiteral("buttons"));
    m_ok = box->addButton(Text(ids::IDS_BUTTON_OK), QDialogButtonBox::AcceptRole);
    Identify(m_ok, ids::IDS_BUTTON_OK, QStringLiteral("okButton"));
    m_ok->setDefault(true);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    if (withCancel) {
        QPushButton* cancel = box->addButton(Text(ids::IDS_BUTTON_CANCEL), QDialogButtonBox::RejectRole);
        Identify(cancel, ids::IDS_BUTTON_CANCEL, QStringLiteral("cancelButton"));
        connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    }
    return box;
}

QString AccessibleNameOf(int textId) {
    QString name = Text(textId);
    if (name.endsWith(QStringLiteral(" :"))) name.chop(2);
    return name;
}

}  // namespace vr31k
