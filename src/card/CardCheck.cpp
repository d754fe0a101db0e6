#include "card/CardCheck.h"

#include "common/StringIds.h"
#include "card/SimCodeRules.h"

#include <chrono>
#include <thread>

namespace vr31k {

using namespace ids;

void ShowCommError(ICardUi& ui) {
    ui.ForceForeground();
    ui.Tell(IDS_COMM_ERROR_CAPTION, IDS_COMM_ERROR_TEXT, MessageIcon::Error);
}

std::optional<std::string> PromptPin(ICardUi& ui, int attemptsLeft) {
    for (;;) {
        std::optional<std::string> pin = ui.AskPin(attemptsLeft);
        if (!pin) return std::nullopt;
        const int refusal = CheckPinEntry(*pin);
        if (refusal == 0) return pin;
        ui.Tell(refusal, refusal + 1, MessageIcon::Error);
    }
}

std::optional<PukEntry> PromptPuk(ICardUi& ui, int attemptsLeft) {
    for (;;) {
        std::optional<PukEntry> entry = ui.AskPuk(attemptsLeft);
        if (!entry) return std::nullopt;
        const int refusal = CheckCodesWithNewPin(entry->puk, entry->newPin, entry->confirmPin);
        if (refusal == 0) return entry;
        ui.Tell(refusal, refusal + 1, MessageIcon::Error);
    }
}

CardCheck::CardCheck(CWKvCtrl& card, ICardUi& ui, CardCheckOptions options)
    : m_card(card), m_ui(ui), m_options(options) {}

void CardCheck::ShowError(int captionId) {
    m_ui.ForceForeground();
    m_ui.Tell(captionId, captionId + 1, MessageIcon::Error);
}

// A failure that leaves the card in `state`.
void CardCheck::Fail(CardStatus& status, int captionId, int state) {
    ShowError(captionId);
    status.state = state;
    m_ui.StateChanged();
}

// A failure that makes the card unusable: no card, no lock, entries out of step.
void CardCheck::FailReset(CardStatus& status, int captionId) {
    ShowError(captionId);
    status.state = kCardNone;
    status.pinLockOn = false;
    status.entriesInSync = false;
    m_ui.StateChanged();
}

bool CardCheck::Setup() { return m_card.Initialize() == CARD_OK && m_card.SetErrorReporting(1) == CARD_OK; }

bool CardCheck::IdentityAccepted() const {
    if (m_options.solvaneMode == 0) return m_manufacturer == "KORVANE" && m_model == "VR31K";
    return (m_manufacturer == "KORVANE" || m_manufacturer == "Korvane") && (m_model == "VR31K" || m_model == "QUILLET7");
}

bool CardCheck::Run(const std::string& portName, CardStatus& status) {
    if (m_card.IsOpen()) return true;
    if (status.reopenOnResume) {
        m_card.OpenPort(portName, true);
        Setup();
        status.state = status.stateAtSuspend;
        status.reopenOnResume = false;
        return true;
    }
    if (m_card.OpenPort(portName, true) == CARD_ERR_OPEN) {
        Fail(status, IDS_PORT_OPEN_ERROR_CAPTION, kCardFailed);
        return false;
    }
    if (!Setup()) {
        FailReset(status, IDS_COMM_ERROR_CAPTION);
        return false;
    }
    // Another identity attempt only while both reads of the previous one failed.
    unsigned maker = CARD_ERR_TRANSACT, model = CARD_ERR_TRANSACT;
    m_manufacturer.clear();
    m_model.clear();
    for (int attempt = 0; attempt < 3; ++attempt) {
        maker = m_card.GetManufacturer(m_manufacturer);
        model = m_card.GetModel(m_model);
        if (maker == CARD_OK || model == CARD_OK) break;
    }
    if (maker != CARD_OK || model != CARD_OK) {
        FailReset(status, IDS_COMM_ERROR_CAPTION);
        return false;
    }
    if (!IdentityAccepted()) {
        FailReset(status, IDS_WRONG_DEVICE_CAPTION);
        return false;
    }
    return SimLoop(status);
}

bool CardCheck::SimLoop(CardStatus& status) {
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> busySince;
    for (;;) {
        const unsigned sim = m_card.GetSimState();
        if (sim != SIM_BUSY) busySince.reset();
        switch (sim) {
            case SIM_BUSY:
                if (!busySince) busySince = Clock::now();
                if (Clock::now() - *busySince >= std::chrono::milliseconds(m_options.simBusyLimitMs)) {
                    Fail(status, IDS_COMM_ERROR_CAPTION, kCardFailed);
                    return false;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(m_options.simBusyPollMs));
                continue;

            case SIM_READY: {
                status.state = kCardReady;
                const unsigned lock = m_card.GetPinLockState();
                if (lock != PIN_LOCK_OFF && lock != PIN_LOCK_ON) {
                    ShowError(IDS_COMM_ERROR_CAPTION);
                    return false;
                }
                status.pinLockOn = lock == PIN_LOCK_ON;
                m_ui.StateChanged();
                return true;
            }

            case SIM_PIN_REQUIRED: {
                int count = 0;
                if (m_card.GetRemainingAttempts(count) != CARD_OK || count == 0) {
                    Fail(status, IDS_COMM_ERROR_CAPTION, kCardFailed);
                    return false;
                }
                m_ui.ForceForeground();
                const std::optional<std::string> pin = PromptPin(m_ui, count);
                if (!pin) {
                    status.state = kCardPinCancelled;
                    m_ui.StateChanged();
                    return false;
                }
                const unsigned r = m_card.EnterPin(*pin);
                if (r == CARD_WRONG_PASSWORD) {
                    ShowError(count > 1 ? IDS_PIN_WRONG_CAPTION : IDS_PIN_BLOCKED_CAPTION);
                } else if (r == CARD_PUK_REQUIRED) {
                    ShowError(IDS_PIN_BLOCKED_CAPTION);
                } else if (r != CARD_OK) {
                    Fail(status, IDS_COMM_ERROR_CAPTION, kCardFailed);
                    return false;
                }
                continue;
            }

            case SIM_PUK_REQUIRED: {
                int count = 0;
                if (m_card.GetRemainingAttempts(count) != CARD_OK || count == 0) {
                    Fail(status, IDS_COMM_ERROR_CAPTION, kCardFailed);
                    return false;
                }
                m_ui.ForceForeground();
                const std::optional<PukEntry> entry = PromptPuk(m_ui, count);
                if (!entry) {
                    status.state = kCardPukNeeded;
                    m_ui.StateChanged();
                    return false;
                }
                const unsigned r = m_card.EnterPin(entry->puk, entry->newPin);
                if (r == CARD_WRONG_PASSWORD && count > 1) {
                    ShowError(IDS_PUK_WRONG_CAPTION);
                    continue;
                }
                if (r == CARD_WRONG_PASSWORD || r == CARD_SIM_FAILURE) {
                    Fail(status, IDS_PUK_BLOCKED_CAPTION, kCardSimLocked);
                    return false;
                }
                if (r != CARD_OK) {
                    Fail(status, IDS_COMM_ERROR_CAPTION, kCardFailed);
                    return false;
                }
                continue;
            }

            case SIM_FAILURE: {
                int count = -1;
                const unsigned r = m_card.GetRemainingAttempts(count);
                if (r == CARD_ERR_RESULT) Fail(status, IDS_SIM_FAILURE_CAPTION, kCardSimFailure);
                else if (r == CARD_OK && count == 0) Fail(status, IDS_SIM_LOCKED_CAPTION, kCardSimLocked);
                else Fail(status, IDS_COMM_ERROR_CAPTION, kCardFailed);
                return false;
            }

            case SIM_WRONG: Fail(status, IDS_WRONG_SIM_CAPTION, kCardWrongSim); return false;
            case SIM_NOT_INSERTED: Fail(status, IDS_SIM_NOT_INSERTED_CAPTION, kCardNoSim); return false;
            default: FailReset(status, IDS_COMM_ERROR_CAPTION); return false;
        }
    }
}

}  // namespace vr31k
