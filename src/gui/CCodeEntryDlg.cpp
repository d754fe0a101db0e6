#include "gui/CCodeEntryDlg.h"

#include "card/SimCodeRules.h"
#include "common/MessageBox.h"
#include "common/StringIds.h"
#include "common/StringTable.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace vr31k {

QString AttemptsText(int attemptsLeft) {
    return QString::fromStdString(FormatString(ids::IDS_ATTEMPTS_FORMAT, {std::to_string(attemptsLeft)}));
}

CCodeEntryDlg::CCodeEntryDlg(int captionId, const QString& objectName, IMessageBox& boxes, QWidget* parent)
    : CAppDlg(captionId, objectName, parent), m_boxes(boxes), m_attempts(new QLabel(this)) {
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

void CCodeEntryDlg::accept() {
    std::vector<std::string> codes;
    for (const QLineEdit* field : m_fields) codes.push_back(field->text().toStdString());
    const int refusal = codes.size() == 1 ? CheckPinEntry(codes[0]) : CheckCodesWithNewPin(codes[0], codes[1], codes[2]);
    if (refusal == 0) {
        CAppDlg::accept();
        return;
    }
    m_boxes.Tell(refusal, refusal + 1, MessageIcon::Error);
    for (QLineEdit* field : m_fields) field->clear();
    m_fields.front()->setFocus();
}

}  // namespace vr31k
