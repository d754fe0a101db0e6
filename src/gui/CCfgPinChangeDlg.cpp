#include "gui/CCfgPinChangeDlg.h"

#include "common/StringIds.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

CCfgPinChangeDlg::CCfgPinChangeDlg(IMessageBox& boxes, QWidget* parent)
    : CCodeEntryDlg(IDS_DLG_PIN_CHANGE_CAPTION, QStringLiteral("CCfgPinChangeDlg"), boxes, parent) {
    auto* form = new QFormLayout;
    form->addRow(MakeLabel(IDS_DLG_PIN_CHANGE_ATTEMPTS, QStringLiteral("attemptsLabel")), AttemptsValue());
    const struct {
        int textId;
        const char* label;
        const char* edit;
    } rows[] = {
        {IDS_DLG_PIN_CHANGE_CURRENT, "currentPinLabel", "currentPinEdit"},
        {IDS_DLG_PIN_CHANGE_NEW, "newPinLabel", "newPinEdit"},
        {IDS_DLG_PIN_CHANGE_CONFIRM, "confirmPinLabel", "confirmPinEdit"},
    };
    for (const auto& row : rows) {
        QLabel* label = MakeLabel(row.textId, QString::fromLatin1(row.label));
        QLineEdit* edit = AddField(row.textId, QString::fromLatin1(row.edit));
        label->setBuddy(edit);
        form->addRow(label, edit);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(MakeOkCancel());
}

std::optional<PinChangeEntry> CCfgPinChangeDlg::Ask(int attemptsLeft) {
    std::optional<std::vector<std::string>> codes = Run(attemptsLeft);
    if (!codes) return std::nullopt;
    return PinChangeEntry{std::move((*codes)[0]), std::move((*codes)[1]), std::move((*codes)[2])};
}

}  // namespace vr31k
