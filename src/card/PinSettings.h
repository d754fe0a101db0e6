#pragma once
// The PIN lock and PIN change settings, without their dialogs: the dialogs' logic and
// the main window's commands around them. The port is open and the SIM ready (the
// card check ran) when they start.
#include "card/CWKvCtrl.h"
#include "card/CardUi.h"
#include "card/CardState.h"

namespace vr31k {

struct PinDialogResult {
    bool ok = false;       // the dialog ended with OK (false: cancelled or closed on an error)
    bool changed = false;  // the card accepted the change
};

// The PIN lock dialog: switches the PIN request at power-on to the other setting.
PinDialogResult RunPinLockDialog(CWKvCtrl& card, ICardUi& ui);
// The PIN change dialog.
PinDialogResult RunPinChangeDialog(CWKvCtrl& card, ICardUi& ui);

// The main window's commands after its card check: run the dialog and apply its
// outcome to the card state (OK without a change means the SIM now wants its PUK).
// The caller closes the port afterwards unless the signal display is on.
PinDialogResult PinLockCommand(CWKvCtrl& card, ICardUi& ui, CardStatus& status);
PinDialogResult PinChangeCommand(CWKvCtrl& card, ICardUi& ui, CardStatus& status);

}  // namespace vr31k
