#include "gui/SimDialogs.h"

#include "gui/CAuthPinDlg.h"
#include "gui/CAuthPukDlg.h"
#include "gui/CCfgPinAuthDlg.h"
#include "gui/CCfgPinChangeDlg.h"

namespace vr31k {

namespace {
template <typename Dialog, typename... Args>
Dialog& Made(std::unique_ptr<Dialog>& slot, QWidget* owner, Args&... args) {
    if (!slot) slot = std::make_unique<Dialog>(args..., owner);
    // Disabling the owner (the main window goes to the tray so) disables its child
    // windows too, and a prompt shown from the tray would take no input.
    slot->setEnabled(true);
    return *slot;
}
}  // namespace

SimDialogs::SimDialogs(QWidget* owner, IMessageBox& boxes) : m_owner(owner), m_boxes(boxes) {}
SimDialogs::~SimDialogs() = default;

std::optional<std::string> SimDialogs::AskPin(int attemptsLeft) {
    return Made(m_pin, m_owner, m_boxes).Ask(attemptsLeft);
}
std::optional<PukEntry> SimDialogs::AskPuk(int attemptsLeft) { return Made(m_puk, m_owner, m_boxes).Ask(attemptsLeft); }
std::optional<bool> SimDialogs::ChoosePinLock(bool lockOn) { return Made(m_pinLock, m_owner).Choose(lockOn); }
std::optional<PinChangeEntry> SimDialogs::AskPinChange(int attemptsLeft) {
    return Made(m_pinChange, m_owner, m_boxes).Ask(attemptsLeft);
}

}  // namespace vr31k
