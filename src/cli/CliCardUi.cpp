#include "cli/CliCardUi.h"

#include "app/StringIds.h"
#include "app/StringTable.h"

#include <ostream>

namespace vr31k::cli {

int CCliCardUi::ShowMessage(int captionId, int textId, MessageIcon /*icon*/) {
    Tell(captionId, std::string(LoadString(textId)));
    return 1;
}

void CCliCardUi::Tell(int captionId, std::string text) {
    m_messages.push_back(captionId);
    if (m_tell != nullptr) *m_tell << "[" << LoadString(captionId) << "] " << text << '\n';
    m_lastText = std::move(text);
}

bool CCliEntryUi::Ask(int captionId, int textId, const std::vector<std::string>& args) {
    m_record.Tell(captionId, FormatString(textId, args));
    return true;
}

void CCliEntryUi::ShowMessage(int captionId, int textId, MessageIcon, const std::vector<std::string>& args) {
    m_record.Tell(captionId, FormatString(textId, args));
}

void CCliEntryUi::ShowWriteError() {
    m_record.Tell(ids::IDS_WRITE_ERROR_CAPTION, std::string(LoadString(ids::IDS_WRITE_ERROR_TEXT)));
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
