#pragma once
// What the application logic asks of its face (Qt window, command line, tests): every
// message box and the creation of the main window go through here.
namespace vr31k {

class CUtilityApp;

enum class MessageIcon { None, Information, Warning, Error, Question, Exclamation };

class IAppUi {
public:
    virtual ~IAppUi() = default;
    // A box without owner window; caption and text are string-table ids.
    virtual void ShowMessage(int captionId, int textId, MessageIcon icon) = 0;
    // Creates the main window. It calls CUtilityApp::MainWindowReady() at the end of its
    // initialisation. False stops start-up.
    virtual bool CreateMainWindow(CUtilityApp& app) = 0;
};

}  // namespace vr31k
