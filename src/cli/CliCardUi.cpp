#include "cli/CliCardUi.h"

#include "app/StringTable.h"

#include <ostream>

namespace vr31k::cli {

int CCliCardUi::ShowMessage(int captionId, int textId, MessageIcon /*icon*/) {
    m_messages.push_back(captionId);
    if (m_tell != nullptr) *m_tell << "[" << LoadString(captionId) << "] " << LoadString(textId) << '\n';
    return 1;
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
