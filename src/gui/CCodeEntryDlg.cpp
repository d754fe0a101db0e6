#include "gui/CCodeEntryDlg.h"

#include "common/StringIds.h"
#include "common/StringTable.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace vr31k {

QString AttemptsText(int attemptsLeft) {
    return QString::fromStdString(FormatString(ids::IDS_ATTEMPTS_FORMAT, {std::to_string(attemptsLeft)}));
}

CCodeEntryDlg::CCodeEntryDlg(int captionId, const QString& objectName, QWidget* parent)
    : CAppDlg(captionId, objectName, parent), m_attempts(new QLabel(this)) {
    m_attempts->setObjectName(QStringLiteral("attemptsValue"));
}

QLineEdit* CCodeEntryDlg::AddField(int nameId, const QString& objectName) {
    QLineEdit* field = MakeSecretEdit(nameId, objectName);
    m_fields.push_back(field);
    return field;
}

QVBoxLayout* CCodeEntryDlg::LayOutPrompt(int promptId, int attemptsLabelId, int fieldNameId,
                                         const QString& fieldObjectName) {
    QLabel* prompt = MakeLabel(promptId, QStringLiteral("promptLabel"));
    QLabel* attempts = MakeLabel(attemptsLabelId, QStringLiteral("attemptsLabel"));
    QLineEdit* field = AddField(fieldNameId, fieldObjectName);
    prompt->setBuddy(field);
    auto* count = new QHBoxLayout;
    count->addWidget(attempts);
    count->addWidget(m_attempts);
    count->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(count);
    layout->addWidget(field);
    return layout;
}

std::optional<std::vector<std::string>> CCodeEntryDlg::Run(int attemptsLeft) {
    m_attempts->setText(AttemptsText(attemptsLeft));
    m_attempts->setAccessibleName(m_attempts->text());
    for (QLineEdit* field : m_fields) field->clear();
    if (!m_fields.empty()) m_fields.front()->setFocus();
    const bool ok = exec() == QDialog::Accepted;
    std::vector<std::string> codes;
    for (QLineEdit* field : m_fields) {
        if (ok) codes.push_back(field->text().toStdString());
        field->clear();
    }
    if (!ok) return std::nullopt;
    return codes;
}

}  // namespace vr31k
