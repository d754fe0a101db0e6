#include "gui/CCfgDialupEntryModifyDlg.h"

#include "common/StringIds.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

namespace {

constexpr int kFieldWidth = 240;

void Focused(QLineEdit* field) {
    field->setFocus();
    field->selectAll();
}

}  // namespace

CCfgDialupEntryModifyDlg::CCfgDialupEntryModifyDlg(const EntryList& list, int position, IEntryBook& book,
                                                   EntryChanges& checks, std::optional<Credentials> fixedName,
                                                   QWidget* parent)
    : CAppDlg(IDS_DLG_ENTRY_MODIFY_CAPTION, QStringLiteral("CCfgDialupEntryModifyDlg"), parent), m_checks(checks) {
    // No input length limits: a field that silently stops taking characters would hide
    // the refusal that says what the limit is.
    m_name = new QLineEdit(this);
    Identify(m_name, IDS_DLG_ENTRY_NAME, QStringLiteral("nameEdit"));
    m_user = new QLineEdit(this);
    Identify(m_user, IDS_DLG_ENTRY_USER, QStringLiteral("userEdit"));
    m_password = MakeSecretEdit(IDS_DLG_ENTRY_PASSWORD, QStringLiteral("passwordEdit"));
    m_dial = new QLabel(this);
    Identify(m_dial, IDS_DLG_ENTRY_DIAL, QStringLiteral("dialValue"));
    for (QLineEdit* field : {m_name, m_user, m_password}) field->setMinimumWidth(kFieldWidth);

    auto* grid = new QGridLayout;
    const auto row = [&](int r, int labelId, const char* labelName, QWidget* field) {
        QLabel* label = MakeLabel(labelId, QLatin1String(labelName));
        label->setBuddy(field);
        grid->addWidget(label, r, 0);
        grid->addWidget(field, r, 1);
    };
    row(0, IDS_DLG_ENTRY_NAME, "nameLabel", m_name);
    row(1, IDS_DLG_ENTRY_USER, "userLabel", m_user);
    row(2, IDS_DLG_ENTRY_PASSWORD, "passwordLabel", m_password);
    row(3, IDS_DLG_ENTRY_DIAL, "dialLabel", m_dial);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeOkCancel());

    const int k = position - 1;
    m_result.name = list[k];
    m_result.appliedName = list[k];
    if (fixedName) {
        m_result.user = fixedName->user;
        m_result.password = fixedName->password;
        m_name->setReadOnly(true);
        m_user->setFocus();
    } else if (!m_result.name.empty()) {
        if (book.GetEntrySettings(m_result.name, m_result.user, m_result.password, m_result.dialString) != 0) {
            m_result.user.clear();
            m_result.password.clear();
            m_result.dialString.clear();
        }
    }
    if (fixedName || m_result.dialString.empty()) m_result.dialString = DialStringFor(position);

    m_name->setText(QString::fromStdString(m_result.name));
    m_user->setText(QString::fromStdString(m_result.user));
    m_password->setText(QString::fromStdString(m_result.password));
    m_dial->setText(QString::fromStdString(m_result.dialString));
    // A screen reader says the label's name; the number shown goes with it.
    m_dial->setAccessibleDescription(m_dial->text());
}

void CCfgDialupEntryModifyDlg::accept() {
    const std::string name = m_name->text().toStdString();
    const std::string user = m_user->text().toStdString();
    const std::string password = m_password->text().toStdString();
    switch (m_checks.CheckEditFields(name, user, password, m_result.appliedName)) {
    case EditField::None: break;
    case EditField::Name: Focused(m_name); return;
    case EditField::User: Focused(m_user); return;
    case EditField::Password: Focused(m_password); return;
    }
    m_result.name = name;
    m_result.user = user;
    m_result.password = password;
    QDialog::accept();
}

}  // namespace vr31k
