#include "card/PinSettings.h"

#include "common/StringIds.h"
#include "card/CardCheck.h"
#include "card/SimCodeRules.h"

namespace vr31k {

using namespace ids;

namespace {

void Show(ICardUi& ui, int captionId) { ui.Tell(captionId, captionId + 1, MessageIcon::Error); }

constexpr PinDialogResult kCancelled{false, false};
constexpr PinDialogResult kOkUnchanged{true, false};
constexpr PinDialogResult kOkChanged{true, true};

}  // namespace

PinDialogResult RunPinLockDialog(CWKvCtrl& card, ICardUi& ui) {
    const unsigned state = card.GetPinLockState();
    if (state != PIN_LOCK_OFF && state != PIN_LOCK_ON) {
        ShowCommError(ui);
        return kCancelled;
    }
    const bool lockOn = state == PIN_LOCK_ON;
    const int mode = lockOn ? 0 : 1;  // always the opposite of the card's setting
    // Each round is one press of OK; a cancelled PIN prompt leaves the dialog open.
    for (;;) {
        const std::optional<bool> choice = ui.ChoosePinLock(lockOn);
        if (!choice || *choice == lockOn) return kCancelled;  // OK stays disabled on no change
        for (;;) {
            int count = 0;
            if (card.GetRemainingAttempts(count) != CARD_OK) {
                ShowCommError(ui);
                return kCancelled;
            }
            if (count <= 0) return kOkUnchanged;
            const std::optional<std::string> pin = PromptPin(ui, count);
            if (!pin) break;  // back to the dialog
            const unsigned r = card.SetPinLock(mode, *pin);
            if (r == CARD_OK) return kOkChanged;
            if ((r == CARD_WRONG_PASSWORD && count <= 1) || r == CARD_PUK_REQUIRED) {
                Show(ui, IDS_PIN_BLOCKED_CAPTION);
                return kOkUnchanged;
            }
            if (r != CARD_WRONG_PASSWORD) {
                ShowCommError(ui);
                return kCancelled;
            }
            Show(ui, IDS_PIN_WRONG_CAPTION);  // more than one attempt was left: ask again
        }
    }
}

PinDialogResult RunPinChangeDialog(CWKvCtrl& card, ICardUi& ui) {
    int attemptsLeft = 0;
    if (card.GetRemainingAttempts(attemptsLeft) != CARD_OK) {
        ShowCommError(ui);
        return kCancelled;
    }
    for (;;) {
        const std::optional<PinChangeEntry> entry = ui.AskPinChange(attemptsLeft);
        if (!entry) return kCancelled;
        if (const int refusal = CheckCodesWithNewPin(entry->currentPin, entry->newPin, entry->confirmPin); refusal != 0) {
            Show(ui, refusal);
            continue;
        }
        const unsigned r = card.ChangePin(entry->currentPin, entry->newPin);
        if (r == CARD_OK) return kOkChanged;
        if (r == CARD_PUK_REQUIRED || (r == CARD_WRONG_PASSWORD && attemptsLeft < 2)) {
            Show(ui, IDS_PIN_BLOCKED_CAPTION);
            return kOkUnchanged;
        }
        if (r != CARD_WRONG_PASSWORD) {
            ShowCommError(ui);
            return kCancelled;
        }
        Show(ui, IDS_PIN_WRONG_CAPTION);
        if (card.GetRemainingAttempts(attemptsLeft) != CARD_OK) {
            ShowCommError(ui);
            return kCancelled;
        }
    }
}

PinDialogResult PinLockCommand(CWKvCtrl& card, ICardUi& ui, CardStatus& status) {
    const PinDialogResult result = RunPinLockDialog(card, ui);
    if (!result.ok) return result;
    if (result.changed) {
        const unsigned lock = card.GetPinLockState();
        if (lock == PIN_LOCK_OFF || lock == PIN_LOCK_ON) {
            status.pinLockOn = lock == PIN_LOCK_ON;
            ui.StateChanged();
        } else {
            ShowCommError(ui);
        }
    } else {
        status.state = kCardPukNeeded;
        status.pinLockOn = false;
        ui.StateChanged();
    }
    return result;
}

PinDialogResult PinChangeCommand(CWKvCtrl& card, ICardUi& ui, CardStatus& status) {
    if (!status.pinLockOn) {
        ui.Tell(IDS_PIN_CHANGE_REFUSED_CAPTION, IDS_PIN_CHANGE_REFUSED_TEXT, MessageIcon::Exclamation);
        return kCancelled;
    }
    const PinDialogResult result = RunPinChangeDialog(card, ui);
    if (result.ok && !result.changed) {
        status.state = kCardPukNeeded;
        ui.StateChanged();
    }
    return result;
}

}  // namespace vr31k
