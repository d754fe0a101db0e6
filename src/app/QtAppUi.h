#pragma once
#include "app/AppUi.h"

#include <memory>

namespace vr31k {

class CUtilityDlg;

// The desktop face of start-up: message boxes are Qt boxes, the main window a Qt window.
class CQtAppUi : public IAppUi {
public:
    CQtAppUi();
    ~CQtAppUi() override;
    void ShowMessage(int captionId, int textId, MessageIcon icon) override;
    bool CreateMainWindow(CUtilityApp& app) override;
    CUtilityDlg* MainWindow() const { return m_window.get(); }

private:
    std::unique_ptr<CUtilityDlg> m_window;
};

}  // namespace vr31k
