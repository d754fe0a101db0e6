#pragma once
// The one seam through which everything below the user interface shows a message box.
// The Qt window, vr31kctl and the tests each implement Show(); the questions and
// prompts of the other layers are built on it.
#include <string>
#include <vector>

namespace vr31k {

enum class MessageIcon { None, Information, Warning, Error, Question, Exclamation };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
// The button chosen; the values are the classic dialog result ids.
enum class MessageResult { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct MessageBoxRequest {
    int captionId = 0;
    int textId = 0;    // the string-table text, or 0 when `text` is given
    std::string text;  // the text as shown, "%s"/"%d" already filled in
    std::vector<std::string> args;  // what was filled in, in order
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageResult defaultButton = MessageResult::Ok;
    // Beneath the table's text, when known: a line naming why it happened, and a button
    // that opens the connection diagnosis (the box's own buttons answer as before).
    std::string cause;
    bool offersDiagnosis = false;
};

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Shows one box and returns the button chosen (Cancel or No when it was closed).
    virtual MessageResult Show(const MessageBoxRequest& request) = 0;

    // An OK box; "%s"/"%d" in the text take `args` in order.
    void Tell(int captionId, int textId, MessageIcon icon, const std::vector<std::string>& args = {});
    // A Yes/No question with the question icon; true for Yes.
    bool Ask(int captionId, int textId, const std::vector<std::string>& args = {},
             MessageResult defaultButton = MessageResult::Yes);
    // The shared write-failure box.
    void ShowWriteError();
};

// The request for a string-table text with its arguments filled in.
MessageBoxRequest MakeMessage(int captionId, int textId, MessageIcon icon, const std::vector<std::string>& args = {});

}  // namespace vr31k
