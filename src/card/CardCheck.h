#pragma once
// The card check of the main window, without the window: opens the port, runs the
// set-up commands, checks the card's identity and settles the SIM's PIN or PUK with
// the user through ICardUi. The Qt window, vr31kctl and the tests share it.
#include "card/CWKvCtrl.h"
#include "card/CardUi.h"
#include "card/CardState.h"

#include <string>

namespace vr31k {

struct CardCheckOptions {
    int solvaneMode = 0;
    int simBusyPollMs = 100;
    // A SIM busy for longer than this ends the check with the communication error.
    int simBusyLimitMs = 30000;
};

class CardCheck {
public:
    CardCheck(CWKvCtrl& card, ICardUi& ui, CardCheckOptions options = {});

    // True when the card is ready (or the port was already open). After a failure the
    // port may still be open: the caller closes it.
    bool Run(const std::string& portName, CardStatus& status);

    // The identity read by the last Run.
    const std::string& Manufacturer() const { return m_manufacturer; }
    const std::string& Model() const { return m_model; }

private:
    bool Setup();
    bool IdentityAccepted() const;
    bool SimLoop(CardStatus& status);
    void Fail(CardStatus& status, int captionId, int state);
    void FailReset(CardStatus& status, int captionId);
    void ShowError(int captionId);

    CWKvCtrl& m_card;
    ICardUi& m_ui;
    const CardCheckOptions m_options;
    std::string m_manufacturer;
    std::string m_model;
};

// The prompts with their input rules: a refused input shows its message and asks
// again; nothing = the user cancelled.
std::optional<std::string> PromptPin(ICardUi& ui, int attemptsLeft);
std::optional<PukEntry> PromptPuk(ICardUi& ui, int attemptsLeft);
// The shared communication-error box.
void ShowCommError(ICardUi& ui);

}  // namespace vr31k
