#pragma once
// The pages the dial-up settings sheet shows after its entry page.
#include "common/MessageBox.h"
#include "gui/SheetPage.h"

#include <memory>
#include <vector>

class QWidget;

namespace vr31k {

class CRasChargeCtrl;

// The charge plan page, editing `charge`'s plan on Apply. Each page is a widget made
// with `parent`; deleting a page first takes it off its parent, so keep the list where
// it goes before `parent` does (a member of the sheet).
std::vector<std::unique_ptr<ISheetPage>> MakeExtraDialupPages(CRasChargeCtrl& charge, IMessageBox& boxes,
                                                              QWidget* parent);

}  // namespace vr31k
