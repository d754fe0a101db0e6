#pragma once
#include "app/AppUi.h"
#include "gui/QtMessageBox.h"

#include <memory>

namespace vr31k {

class UtilityWindow;

// The desktop face of start-up: message boxes are Qt boxes, the main window a Qt window.
class QtAppUi : public IAppUi {
public:
    QtAppUi();
    ~QtAppUi() override;
    MessageResult Show(const MessageBoxRequest& request) override { return m_boxes.Show(request); }
    bool CreateMainWindow(CUtilityApp& app) override;
    UtilityWindow* MainWindow() const { return m_window.get(); }

private:
    QtMessageBox m_boxes;
    std::unique_ptr<UtilityWindow> m_window;
};

}  // namespace vr31k
