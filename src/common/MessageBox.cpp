#include "common/MessageBox.h"

#include "common/StringIds.h"
#include "common/StringTable.h"

namespace vr31k {

MessageBoxRequest MakeMessage(int captionId, int textId, MessageIcon icon, const std::vector<std::string>& args) {
    MessageBoxRequest request;
    request.captionId = captionId;
    request.textId = textId;
    request.text = FormatString(textId, args);
    request.args = args;
    request.icon = icon;
    return request;
}

void IMessageBox::Tell(int captionId, int textId, MessageIcon icon, const std::vector<std::string>& args) {
    Show(MakeMessage(captionId, textId, icon, args));
}

bool IMessageBox::Ask(int captionId, int textId, const std::vector<std::string>& args, MessageResult defaultButton) {
    MessageBoxRequest request = MakeMessage(captionId, textId, MessageIcon::Question, args);
    request.buttons = MessageButtons::YesNo;
    request.defaultButton = defaultButton;
    return Show(request) == MessageResult::Yes;
}

void IMessageBox::ShowWriteError() { Tell(ids::IDS_WRITE_ERROR_CAPTION, ids::IDS_WRITE_ERROR_TEXT, MessageIcon::Error); }

}  // namespace vr31k
