#pragma once
// Messages to the running instance's main window from outside the process (a second
// start asking for its window, a card-presence notice). A local stream socket readable
// and writable only by the instance's own user; one line per message:
// "<message> <wParam> <lParam>" in C integer notation, e.g. "0x8064 1 0x202".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

struct InstanceMessage {
    uint32_t message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
    bool operator==(const InstanceMessage&) const = default;
};

std::string FormatInstanceMessage(const InstanceMessage& message);
std::optional<InstanceMessage> ParseInstanceMessage(std::string_view line);

// Delivers one message; false when nobody listens at `socketPath` or it refuses us.
bool SendInstanceMessage(const std::string& socketPath, const InstanceMessage& message);

class InstanceServer {
public:
    InstanceServer() = default;
    ~InstanceServer();
    InstanceServer(const InstanceServer&) = delete;
    InstanceServer& operator=(const InstanceServer&) = delete;

    // Replaces a socket a dead instance left behind.
    bool Listen(const std::string& socketPath);
    // Readable when a sender is waiting (for the owner's event loop).
    int Fd() const { return m_fd; }
    // Accepts waiting senders and returns their well-formed messages. Never blocks
    // longer than a short per-sender bound.
    std::vector<InstanceMessage> TakeMessages();
    void Close();

private:
    int m_fd = -1;
    std::string m_path;
};

}  // namespace vr31k
