#include "cli/CliCardUi.h"

#include "common/StringTable.h"
#include "common/TerminalText.h"

#include <ostream>

namespace vr31k::cli {

MessageResult CCliCardUi::Show(const MessageBoxRequest& request) {
    std::string text = request.text.empty() ? std::string(LoadString(request.textId)) : request.text;
    if (m_tell != nullptr) *m_tell << "[" << LoadString(request.captionId) << "] " << TerminalLines(text) << '\n';
    if (m_tell != nullptr && !request.cause.empty()) *m_tell << TerminalLines(request.cause) << '\n';
    m_boxes.push_back({request.captionId, std::move(text), request.cause});
    switch (request.buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel: return MessageResult::Yes;
    case MessageButtons::Ok:
    case MessageButtons::OkCancel: break;
    }
    return MessageResult::Ok;
}

std::optional<std::string> CCliCardUi::AskPin(int /*attemptsLeft*/) {
    if (pins.empty()) return std::nullopt;
    std::string pin = std::move(pins.front());
    pins.pop_front();
    return pin;
}

std::optional<PukEntry> CCliCardUi::AskPuk(int /*attemptsLeft*/) {
    if (puks.empty()) return std::nullopt;
    PukEntry entry = std::move(puks.front());
    puks.pop_front();
    return entry;
}

std::optional<bool> CCliCardUi::ChoosePinLock(bool /*lockOn*/) {
    std::optional<bool> choice = wantedLock;
    wantedLock.reset();
    return choice;
}

std::optional<PinChangeEntry> CCliCardUi::AskPinChange(int /*attemptsLeft*/) {
    std::optional<PinChangeEntry> entry = std::move(pinChange);
    pinChange.reset();
    return entry;
}

}  // namespace vr31k::cli
