#include "gui/CHelpCardInfoDlg.h"

#include "common/StringIds.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vr31k {

using namespace ids;

CHelpCardInfoDlg::CHelpCardInfoDlg(const std::string& phoneNumber, const std::string& softwareVersion,
                                   QWidget* parent)
    : CAppDlg(IDS_DLG_CARD_INFO_CAPTION, QStringLiteral("CHelpCardInfoDlg"), parent) {
    auto* form = new QFormLayout;
    const struct {
        int labelId;
        const std::string& value;
        const char* label;
        const char* field;
    } rows[] = {
        {IDS_DLG_CARD_INFO_PHONE, phoneNumber, "phoneLabel", "phoneValue"},
        {IDS_DLG_CARD_INFO_VERSION, softwareVersion, "versionLabel", "versionValue"},
    };
    for (const auto& row : rows) {
        QLabel* label = MakeLabel(row.labelId, QString::fromLatin1(row.label));
        // Read-only fields rather than plain text, so the values can be selected and copied.
        auto* value = new QLineEdit(QString::fromStdString(row.value), this);
        Identify(value, row.labelId, QString::fromLatin1(row.field));
        value->setReadOnly(true);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 18);
        label->setBuddy(value);
        form->addRow(label, value);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(MakeOk());
}

}  // namespace vr31k
