#include "gui/CAuthPinDlg.h"

#include "common/StringIds.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

CAuthPinDlg::CAuthPinDlg(QWidget* parent) : CCodeEntryDlg(IDS_DLG_PIN_CAPTION, QStringLiteral("CAuthPinDlg"), parent) {
    QLabel* prompt = MakeLabel(IDS_DLG_PIN_PROMPT, QStringLiteral("promptLabel"));
    QLabel* attempts = MakeLabel(IDS_DLG_PIN_ATTEMPTS, QStringLiteral("attemptsLabel"));
    QLineEdit* pin = AddField(IDS_DLG_PIN_FIELD, QStringLiteral("pinEdit"));
    prompt->setBuddy(pin);

    auto* count = new QHBoxLayout;
    count->addWidget(attempts);
    count->addWidget(AttemptsValue());
    count->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(count);
    layout->addWidget(pin);
    layout->addWidget(MakeOkCancel());
}

std::optional<std::string> CAuthPinDlg::Ask(int attemptsLeft) {
    std::optional<std::vector<std::string>> codes = Run(attemptsLeft);
    if (!codes) return std::nullopt;
    return std::move(codes->front());
}

}  // namespace vr31k
