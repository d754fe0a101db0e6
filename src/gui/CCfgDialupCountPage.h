#pragma once
// The charge plan page of the dial-up settings sheet: the charge type, the plan's
// prices and packet size, the notice amount and ratio, and the closing day. Every field
// is checked while the user types and the whole plan when the page is left; the plan
// reaches the charge controller only on the sheet's OK.
#include "accounting/PlanFinalCheck.h"
#include "common/MessageBox.h"
#include "common/SettingsStore.h"
#include "gui/SheetPage.h"

#include <QWidget>

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace vr31k {

class CCfgDialupCountPage : public QWidget, public ISheetPage {
    Q_OBJECT
public:
    // `plan` is the charge controller's; the page keeps its own stored copy until Apply.
    CCfgDialupCountPage(DialupSettings& plan, IMessageBox& boxes, QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }
    QString Title() const override;
    bool CanLeave() override;
    void Apply() override;

    // What the controls hold, as the checks read it.
    PlanEntry Entry() const;

private:
    QGroupBox* MakePacketGroup();
    QGroupBox* MakeNoticeGroup();
    QLineEdit* MakeField(PlanField field, int nameId, int chars);
    QLabel* MakeLabel(int textId, const char* objectName);
    void ApplyVisibility();
    void OnEdited(PlanField field);
    QLineEdit* Edit(PlanField field) const { return m_edits[static_cast<size_t>(field)]; }

    DialupSettings& m_plan;
    IMessageBox& m_boxes;
    DialupSettings m_stored;  // the plan the final check compares with
    QComboBox* m_type = nullptr;
    QComboBox* m_closingDay = nullptr;
    std::array<QLineEdit*, kPlanFieldCount> m_edits{};
    // The controls each charge type shows or hides.
    std::vector<QWidget*> m_priceSizeNotice;
    std::vector<QWidget*> m_freeAllowance;
    std::vector<QWidget*> m_cap;
    bool m_removing = false;  // the live check is taking a character out again
};

}  // namespace vr31k
