#pragma once
// What the card logic asks of its face besides message boxes: the SIM dialogs, and the
// main window's refresh and foreground. The Qt window, vr31kctl and the tests each
// implement it. Prompts return what the user typed, or nothing when the user cancelled.
#include "common/MessageBox.h"

#include <optional>
#include <string>

namespace vr31k {

struct PukEntry {
    std::string puk;
    std::string newPin;
    std::string confirmPin;
};

struct PinChangeEntry {
    std::string currentPin;
    std::string newPin;
    std::string confirmPin;
};

class ICardUi : public IMessageBox {
public:
    // Brings the main window to the front before a box the card check shows.
    virtual void ForceForeground() {}
    // The card state or the PIN lock flag changed: refresh the controls.
    virtual void StateChanged() {}
    // The PIN prompt, showing the attempts left.
    virtual std::optional<std::string> AskPin(int attemptsLeft) = 0;
    // The PUK prompt (PUK, new PIN, confirmation), showing the PUK attempts left.
    virtual std::optional<PukEntry> AskPuk(int attemptsLeft) = 0;
    // The PIN lock dialog: the user picks the other setting than `lockOn` and presses
    // OK (true = PIN request on), or cancels.
    virtual std::optional<bool> ChoosePinLock(bool lockOn) = 0;
    // The PIN change dialog's three fields, showing the attempts left.
    virtual std::optional<PinChangeEntry> AskPinChange(int attemptsLeft) = 0;
};

}  // namespace vr31k
