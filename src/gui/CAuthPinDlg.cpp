#include "gui/CAuthPinDlg.h"

#include "common/StringIds.h"

#include <QBoxLayout>
#include <QDialogButtonBox>

namespace vr31k {

using namespace ids;

CAuthPinDlg::CAuthPinDlg(IMessageBox& boxes, QWidget* parent)
    : CCodeEntryDlg(IDS_DLG_PIN_CAPTION, QStringLiteral("CAuthPinDlg"), boxes, parent) {
    QVBoxLayout* layout =
        LayOutPrompt(IDS_DLG_PIN_PROMPT, IDS_DLG_PIN_ATTEMPTS, IDS_DLG_PIN_FIELD, QStringLiteral("pinEdit"));
    layout->addWidget(MakeOkCancel());
}

std::optional<std::string> CAuthPinDlg::Ask(int attemptsLeft) {
    std::optional<std::vector<std::string>> codes = Run(attemptsLeft);
    if (!codes) return std::nullopt;
    return std::move(codes->front());
}

}  // namespace vr31k
