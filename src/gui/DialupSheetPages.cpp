// The pages of the dial-up settings sheet after the entry page, in their order.
#include "gui/SheetPage.h"
#include "gui/UtilityWindow.h"

namespace vr31k {

std::vector<std::unique_ptr<ISheetPage>> UtilityWindow::MakeExtraDialupPages() { return {}; }

}  // namespace vr31k
