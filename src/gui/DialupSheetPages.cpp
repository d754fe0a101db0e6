#include "gui/DialupSheetPages.h"

#include "accounting/CRasChargeCtrl.h"
#include "app/CUtilityApp.h"
#include "gui/CCfgDialupCountPage.h"
#include "gui/UtilityWindow.h"

namespace vr31k {

std::vector<std::unique_ptr<ISheetPage>> MakeExtraDialupPages(CRasChargeCtrl& charge, IMessageBox& boxes,
                                                              QWidget* parent) {
    std::vector<std::unique_ptr<ISheetPage>> pages;
    pages.push_back(std::make_unique<CCfgDialupCountPage>(charge.Plan(), boxes, parent));
    return pages;
}

// The pages belong to their list, not to a widget: the sheet shows them and gives them back.
std::vector<std::unique_ptr<ISheetPage>> UtilityWindow::MakeExtraDialupPages() {
    return vr31k::MakeExtraDialupPages(m_app.Charge(), m_boxes, nullptr);
}

}  // namespace vr31k
