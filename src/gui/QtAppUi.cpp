#include "gui/QtAppUi.h"

#include "app/CUtilityApp.h"
#include "gui/UtilityWindow.h"

namespace vr31k {

QtAppUi::QtAppUi() = default;
QtAppUi::~QtAppUi() = default;

bool QtAppUi::CreateMainWindow(CUtilityApp& app) {
    m_window = std::make_unique<UtilityWindow>(app);
    return m_window->Initialize();
}

}  // namespace vr31k
