#pragma once
// The pages the dial-up settings sheet shows after its entry page.
#include "common/MessageBox.h"
#include "common/SettingsStore.h"
#include "gui/SheetPage.h"

#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace vr31k {

class CRasChargeCtrl;

// The charge plan page, editing `charge`'s plan on Apply, then the user's limit page,
// which writes the limit to `settings` on OK, and the page of programs kept off the
// card's link, which writes their list into `dataFolder` on OK. Each page is a widget made with `parent`;
// deleting a page first takes it off its parent, so keep the list where it goes before
// `parent` does (a member of the sheet).
std::vector<std::unique_ptr<ISheetPage>> MakeExtraDialupPages(CRasChargeCtrl& charge, const SettingsStore& settings,
                                                              const std::string& dataFolder, IMessageBox& boxes,
                                                              QWidget* parent);

}  // namespace vr31k
