#pragma once
// The command line's face of the card logic: dialogs are answered from the options,
// in order, and message boxes are recorded (and, without --json, told on stderr).
// A prompt with no value left is a cancelled dialog.
#include "card/CardCheckUi.h"
#include "dialup/EntryPorts.h"

#include <deque>
#include <iosfwd>
#include <vector>

namespace vr31k::cli {

class CCliCardUi final : public IPinSettingsUi {
public:
    explicit CCliCardUi(std::ostream* tell = nullptr) : m_tell(tell) {}

    std::deque<std::string> pins;
    std::deque<PukEntry> puks;
    std::optional<bool> wantedLock;          // the PIN lock dialog's choice, once
    std::optional<PinChangeEntry> pinChange;  // the PIN change dialog's fields, once

    const std::vector<int>& Messages() const { return m_messages; }
    // The text of the last box shown (with its numbers and names in place).
    const std::string& LastText() const { return m_lastText; }
    // Records a box shown with `text` (already formatted) and tells it.
    void Tell(int captionId, std::string text);

    int ShowMessage(int captionId, int textId, MessageIcon icon) override;
    std::optional<std::string> AskPin(int attemptsLeft) override;
    std::optional<PukEntry> AskPuk(int attemptsLeft) override;
    std::optional<bool> ChoosePinLock(bool lockOn) override;
    std::optional<PinChangeEntry> AskPinChange(int attemptsLeft) override;

private:
    std::ostream* m_tell;
    std::vector<int> m_messages;
    std::string m_lastText;
};

// The entry screens' face on the command line: the command itself is the user's
// answer, so every question is answered Yes; boxes go to the same record as the card
// check's.
class CCliEntryUi final : public IEntryUi {
public:
    explicit CCliEntryUi(CCliCardUi& record) : m_record(record) {}
    bool Ask(int captionId, int textId, const std::vector<std::string>& args) override;
    void ShowMessage(int captionId, int textId, MessageIcon icon, const std::vector<std::string>& args) override;
    void ShowWriteError() override;

private:
    CCliCardUi& m_record;
};

}  // namespace vr31k::cli
