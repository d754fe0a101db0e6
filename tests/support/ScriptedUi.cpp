#include "support/ScriptedUi.h"

#include "common/StringIds.h"

namespace vr31k::test {

namespace {
template <typename T>
std::optional<T> Take(std::deque<T>& queue) {
    if (queue.empty()) return std::nullopt;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}
template <typename T>
std::optional<T> TakeOnce(std::optional<T>& slot) {
    std::optional<T> value = std::move(slot);
    slot.reset();
    return value;
}
}  // namespace

MessageResult ScriptedUi::Show(const MessageBoxRequest& request) {
    const Box box{request.captionId, request.textId, request.args, request.text, request.icon, request.cause,
                  request.offersDiagnosis};
    messages.push_back(request.captionId);
    if (request.captionId == ids::IDS_WRITE_ERROR_CAPTION) ++writeErrors;
    if (request.buttons == MessageButtons::YesNo || request.buttons == MessageButtons::YesNoCancel) {
        asked.push_back(box);
        return Take(answers).value_or(true) ? MessageResult::Yes : MessageResult::No;
    }
    shown.push_back(box);
    return MessageResult::Ok;
}

std::optional<std::string> ScriptedUi::AskPin(int) { return Take(pins); }
std::optional<PukEntry> ScriptedUi::AskPuk(int) { return Take(puks); }
std::optional<bool> ScriptedUi::ChoosePinLock(bool) { return TakeOnce(wantedLock); }
std::optional<PinChangeEntry> ScriptedUi::AskPinChange(int) { return TakeOnce(pinChange); }

}  // namespace vr31k::test
