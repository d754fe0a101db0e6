#pragma once
// The SIM dialogs of the main window, each one object for the window's life, so that a
// prompt refused by the card is the same dialog shown again with emptied fields.
#include "card/CardUi.h"

#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace vr31k {

class CAuthPinDlg;
class CAuthPukDlg;
class CCfgPinAuthDlg;
class CCfgPinChangeDlg;

class SimDialogs {
public:
    SimDialogs(QWidget* owner, IMessageBox& boxes);
    ~SimDialogs();
    std::optional<std::string> AskPin(int attemptsLeft);
    std::optional<PukEntry> AskPuk(int attemptsLeft);
    std::optional<bool> ChoosePinLock(bool lockOn);
    std::optional<PinChangeEntry> AskPinChange(int attemptsLeft);

private:
    QWidget* m_owner;
    IMessageBox& m_boxes;
    std::unique_ptr<CAuthPinDlg> m_pin;
    std::unique_ptr<CAuthPukDlg> m_puk;
    std::unique_ptr<CCfgPinAuthDlg> m_pinLock;
    std::unique_ptr<CCfgPinChangeDlg> m_pinChange;
};

}  // namespace vr31k
