#pragma once
// Messages to the running instance's main window from outside the process (a second
// start asking for its window, a card-presence notice). A local stream socket readable
// and writable only by the instance's own user; one line per message:
// "<message> <wParam> <lParam>" in C integer notation, e.g. "0x8064 1 0x202".
// A request instead keeps its connection open after its line: the instance answers
// with lines, possibly much later, and closes the connection when it is done.
#include <chrono>
#include <cstddef>
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
    // Accepts one waiting client without blocking: its descriptor (the caller owns it,
    // see InstancePeer), or -1 when none waits. A client of another user is closed.
    int AcceptClient();
    void Close();

private:
    int m_fd = -1;
    std::string m_path;
};

// The longest line a client may send; a longer one ends its connection.
inline constexpr size_t kInstanceLineMax = 256;

// One accepted client on the instance's side, read and written without blocking.
class InstancePeer {
public:
    explicit InstancePeer(int fd) : m_fd(fd) {}
    ~InstancePeer();
    InstancePeer(const InstancePeer&) = delete;
    InstancePeer& operator=(const InstancePeer&) = delete;

    int Fd() const { return m_fd; }
    enum class ReadResult { Waiting, Line, Closed };
    // Takes what has arrived. Line once, with the first line (without its end);
    // afterwards further input is read and dropped. Closed at the end of the stream (the
    // client may still read replies after closing its sending side), on an error, or
    // when the first line is longer than kInstanceLineMax.
    ReadResult Read(std::string& line);
    // One line (the end of line is added); false when the client is gone or does not
    // take what it is sent (its buffer is full): the caller drops it.
    bool Send(std::string_view line);

private:
    int m_fd;
    std::string m_buffer;
    bool m_lineTaken = false;
};

// The asking side of a request: connects, sends the request line, reads the replies.
class InstanceClient {
public:
    InstanceClient() = default;
    ~InstanceClient();
    InstanceClient(const InstanceClient&) = delete;
    InstanceClient& operator=(const InstanceClient&) = delete;

    // False when nobody listens at `socketPath`, the listener runs as another user, or
    // it has not taken the connection within `wait` (a window stuck with its queue full).
    bool Connect(const std::string& socketPath, std::chrono::milliseconds wait = std::chrono::seconds(2));
    bool Send(std::string_view line);
    enum class ReadResult { Line, Closed, TimedOut };
    // The next reply line (without its end); replies longer than 64 KiB end the read.
    ReadResult ReadLine(std::string& line, std::chrono::milliseconds timeout);
    void Close();

private:
    int m_fd = -1;
    std::string m_buffer;
};

}  // namespace vr31k
