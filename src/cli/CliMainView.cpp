#include "cli/CliMainView.h"

#include "common/StringIds.h"
#include "common/StringTable.h"

#include <ostream>

namespace vr31k::cli {

namespace {
// The monitor's hang-up is bounded by the dial-up service; this only keeps a lost
// notice from holding the command for ever.
constexpr auto kHangUpWait = std::chrono::seconds(15);
}  // namespace

CliMainView::CliMainView(CliEventLoop& loop, std::ostream* tell, std::ostream& say, std::string entry, Hooks hooks)
    : m_loop(loop), m_ui(tell), m_say(say), m_entry(std::move(entry)), m_hooks(std::move(hooks)) {}

MessageResult CliMainView::Show(const MessageBoxRequest& request) {
    // The hang-up request is the user's Yes; nobody is there to read the question.
    if (request.captionId == ids::IDS_DISCONNECT_CONFIRM_CAPTION) return MessageResult::Yes;
    return m_ui.Show(request);
}

void CliMainView::SetConnectionValues(const std::string& entry, const std::string& duration,
                                      const std::string& volume) {
    if (m_hooks.tick) m_hooks.tick(entry, duration, volume);
}

void CliMainView::PostCommand(int command) {
    m_loop.Post([this, command] {
        if (m_hooks.command) m_hooks.command(command);
    });
}

bool CliMainView::RunConnectingDialog() {
    m_connecting = true;
    m_connectingEnd.reset();
    if (m_hooks.dialling) m_hooks.dialling();
    m_loop.RunUntil([&] {
        if (!m_connectingEnd && m_hooks.takeCancel && m_hooks.takeCancel()) {
            m_cancelled = true;
            m_connectingEnd = false;
        }
        return m_connectingEnd.has_value();
    });
    m_connecting = false;
    return *m_connectingEnd;
}

void CliMainView::SetConnectingText(int textId) { m_say << LoadString(textId) << '\n'; }

void CliMainView::EndConnectingDialog(bool connected) {
    if (!m_connectingEnd) m_connectingEnd = connected;
}

void CliMainView::RunDisconnectingDialog() {
    m_disconnecting = true;
    m_loop.RunUntil([&] { return !m_disconnecting; }, CliEventLoop::Clock::now() + kHangUpWait);
    m_disconnecting = false;
}

}  // namespace vr31k::cli
