#include "gui/DialupSheetPages.h"

#include "accounting/CRasChargeCtrl.h"
#include "app/CUtilityApp.h"
#include "gui/CCfgDialupBlockPage.h"
#include "gui/CCfgDialupCountPage.h"
#include "gui/CCfgDialupLimitPage.h"
#include "gui/UtilityWindow.h"

namespace vr31k {

std::vector<std::unique_ptr<ISheetPage>> MakeExtraDialupPages(CRasChargeCtrl& charge, const SettingsStore& settings,
                                                              const std::string& dataFolder, IMessageBox& boxes,
                                                              QWidget* parent) {
    std::vector<std::unique_ptr<ISheetPage>> pages;
    auto plan = std::make_unique<CCfgDialupCountPage>(charge.Plan(), boxes, parent);
    // A charge limit is checked against the plan as the plan page holds it.
    const CCfgDialupCountPage* planPage = plan.get();
    auto limit = std::make_unique<CCfgDialupLimitPage>(
        settings, [planPage, &charge] { return PlanFromEntry(planPage->Entry(), charge.Plan()); }, boxes, parent);
    pages.push_back(std::move(plan));
    pages.push_back(std::move(limit));
    pages.push_back(std::make_unique<CCfgDialupBlockPage>(charge.History(), dataFolder, boxes, parent));
    return pages;
}

// The pages belong to their list, not to a widget: the sheet shows them and gives them back.
std::vector<std::unique_ptr<ISheetPage>> UtilityWindow::MakeExtraDialupPages() {
    return vr31k::MakeExtraDialupPages(m_app.Charge(), m_app.Settings(), m_app.Paths().folder, m_boxes, nullptr);
}

}  // namespace vr31k
