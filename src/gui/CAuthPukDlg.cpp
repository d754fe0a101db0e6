#include "gui/CAuthPukDlg.h"

#include "common/StringIds.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>

namespace vr31k {

using namespace ids;

CAuthPukDlg::CAuthPukDlg(IMessageBox& boxes, QWidget* parent)
    : CCodeEntryDlg(IDS_DLG_PUK_CAPTION, QStringLiteral("CAuthPukDlg"), boxes, parent) {
    QVBoxLayout* layout =
        LayOutPrompt(IDS_DLG_PUK_PROMPT, IDS_DLG_PUK_ATTEMPTS, IDS_DLG_PUK_FIELD, QStringLiteral("pukEdit"));
    QLabel* newPinLabel = MakeLabel(IDS_DLG_PUK_NEW_PIN, QStringLiteral("newPinLabel"));
    QLineEdit* newPin = AddField(IDS_DLG_PUK_NEW_PIN, QStringLiteral("newPinEdit"));
    QLabel* confirmLabel = MakeLabel(IDS_DLG_PUK_CONFIRM_PIN, QStringLiteral("confirmPinLabel"));
    QLineEdit* confirm = AddField(IDS_DLG_PUK_CONFIRM_PIN, QStringLiteral("confirmPinEdit"));
    newPinLabel->setBuddy(newPin);
    confirmLabel->setBuddy(confirm);

    layout->addSpacing(6);
    layout->addWidget(newPinLabel);
    layout->addWidget(newPin);
    layout->addWidget(confirmLabel);
    layout->addWidget(confirm);
    layout->addWidget(MakeOkCancel());
}

std::optional<PukEntry> CAuthPukDlg::Ask(int attemptsLeft) {
    std::optional<std::vector<std::string>> codes = Run(attemptsLeft);
    if (!codes) return std::nullopt;
    return PukEntry{std::move((*codes)[0]), std::move((*codes)[1]), std::move((*codes)[2])};
}

}  // namespace vr31k
