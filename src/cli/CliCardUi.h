#pragma once
// The command line's face of the card and entry logic: the command itself is the
// user's answer, so every question is answered Yes and dialogs are answered from the
// options, in order; message boxes are recorded (and, without --json, told on stderr).
// A prompt with no value left is a cancelled dialog.
#include "card/CardUi.h"

#include <deque>
#include <iosfwd>
#include <vector>

namespace vr31k::cli {

// A message box as the window would have shown it.
struct ShownBox {
    int captionId;
    std::string text;  // with its numbers and names in place
    std::string cause;  // the line beneath it, "" none
};

class CCliCardUi final : public ICardUi {
public:
    explicit CCliCardUi(std::ostream* tell = nullptr) : m_tell(tell) {}

    std::deque<std::string> pins;
    std::deque<PukEntry> puks;
    std::optional<bool> wantedLock;          // the PIN lock dialog's choice, once
    std::optional<PinChangeEntry> pinChange;  // the PIN change dialog's fields, once

    // The boxes shown, in order.
    const std::vector<ShownBox>& Boxes() const { return m_boxes; }
    // The text of the last box shown; empty when none was.
    std::string LastText() const { return m_boxes.empty() ? std::string() : m_boxes.back().text; }

    MessageResult Show(const MessageBoxRequest& request) override;
    std::optional<std::string> AskPin(int attemptsLeft) override;
    std::optional<PukEntry> AskPuk(int attemptsLeft) override;
    std::optional<bool> ChoosePinLock(bool lockOn) override;
    std::optional<PinChangeEntry> AskPinChange(int attemptsLeft) override;

private:
    std::ostream* m_tell;
    std::vector<ShownBox> m_boxes;
};

}  // namespace vr31k::cli
