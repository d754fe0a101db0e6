#include "gui/DialupSheetPages.h"

#include "accounting/CRasChargeCtrl.h"
#include "gui/CCfgDialupCountPage.h"

namespace vr31k {

std::vector<std::unique_ptr<ISheetPage>> MakeExtraDialupPages(CRasChargeCtrl& charge, IMessageBox& boxes,
                                                              QWidget* parent) {
    std::vector<std::unique_ptr<ISheetPage>> pages;
    pages.push_back(std::make_unique<CCfgDialupCountPage>(charge.Plan(), boxes, parent));
    return pages;
}

}  // namespace vr31k
