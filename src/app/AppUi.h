#pragma once
// What start-up asks of its face (Qt window, tests): message boxes, and the creation of
// the main window.
#include "common/MessageBox.h"

namespace vr31k {

class CUtilityApp;

class IAppUi : public IMessageBox {
public:
    // Creates the main window. It calls CUtilityApp::MainWindowReady() at the end of its
    // initialisation. False stops start-up.
    virtual bool CreateMainWindow(CUtilityApp& app) = 0;
};

}  // namespace vr31k
