#pragma once
// The one scripted user of every test: records each message box and answers questions,
// the SIM prompts and the PIN dialogs from queues. An empty queue means Yes for a
// question and Cancel for a prompt.
#include "card/CardUi.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vr31k::test {

class ScriptedUi : public ICardUi {
public:
    struct Box {
        int caption = 0;
        int text = 0;
        std::vector<std::string> args;
        std::string shownText;
        MessageIcon icon = MessageIcon::None;
        std::string cause;
        bool offersDiagnosis = false;
    };
    // Answers to Yes/No questions, in order; empty: Yes.
    std::deque<bool> answers;
    std::deque<std::string> pins;
    std::deque<PukEntry> puks;
    std::optional<bool> wantedLock;
    std::optional<PinChangeEntry> pinChange;

    std::vector<Box> asked;      // the questions
    std::vector<Box> shown;      // the other boxes
    std::vector<int> messages;   // the caption of every box, in order
    int writeErrors = 0;
    int stateChanges = 0;
    int foregrounds = 0;

    MessageResult Show(const MessageBoxRequest& request) override;
    void ForceForeground() override { ++foregrounds; }
    void StateChanged() override { ++stateChanges; }
    std::optional<std::string> AskPin(int attemptsLeft) override;
    std::optional<PukEntry> AskPuk(int attemptsLeft) override;
    std::optional<bool> ChoosePinLock(bool lockOn) override;
    std::optional<PinChangeEntry> AskPinChange(int attemptsLeft) override;
};

}  // namespace vr31k::test
