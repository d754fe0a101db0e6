#pragma once
// The user's own limit on a billing period's use, as a page of the dial-up settings
// sheet: off, an estimated charge or a byte total, the share of it at which it warns,
// and the size of a sudden burst that warns. Values are checked as vr31kctl checks
// them when the page is left; on the sheet's OK a charge limit is checked against the
// plan as the plan page holds it, and what the user changed is written to the
// settings file at once (another program's changes to the other keys are kept).
#include "common/LimitSettings.h"
#include "common/MessageBox.h"
#include "common/SettingsStore.h"
#include "gui/SheetPage.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace vr31k {

struct LimitFieldCheck;

class CCfgDialupLimitPage : public QWidget, public ISheetPage {
    Q_OBJECT
public:
    // `plan`: the price plan as it stands on the sheet (the plan page's values).
    CCfgDialupLimitPage(SettingsStore settings, std::function<DialupSettings()> plan, IMessageBox& boxes,
                        QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }
    QString Title() const override;
    bool CanLeave() override;
    bool Commit() override;
    // Commit has stored the values already.
    void Apply() override {}

    // The limit as the file held it when the page opened, or as the page last wrote it.
    const LimitSettings& Stored() const { return m_stored; }

private:
    struct Field {
        QLineEdit* edit = nullptr;
        LimitField field = LimitField::Charge;  // its value and check
        std::vector<QWidget*> row;  // enabled with the field
    };
    enum FieldIndex { kChargeField, kBytesField, kWarnField, kBurstField, kFieldCount };

    QRadioButton* MakeRadio(int textId, const char* objectName, QWidget* parent);
    QLineEdit* MakeEdit(int nameId, int unitId, const char* objectName, int chars, QWidget* parent);
    QLabel* MakeLabel(int textId, const char* objectName, QWidget* parent);
    void ShowStored();
    int Kind() const;
    void ApplyKind();
    bool Applies(int field) const;
    bool Changed() const;
    // The limit as the page holds it over the stored one; none after a refused field
    // (said, focused).
    std::optional<LimitSettings> Entered();
    void Refuse(int captionId, const std::string& text, QWidget* focus);

    SettingsStore m_settings;
    std::function<DialupSettings()> m_plan;
    IMessageBox& m_boxes;
    LimitSettings m_stored;
    QRadioButton* m_kinds[3] = {};  // off, charge, bytes: LimitKind order
    Field m_fields[kFieldCount];
    QString m_shown[kFieldCount];  // the texts the stored limit reads as
};

}  // namespace vr31k
