// The request side of the instance socket: the instance's view of one client
// (InstancePeer) and the asking process's connection (InstanceClient).
#include "platform/InstanceChannel.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <thread>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vr31k {

namespace {

constexpr size_t kReplyMax = 64 * 1024;

bool SendAll(int fd, std::string_view line, int flags) {
    std::string text(line);
    text += '\n';
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, flags | MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

InstancePeer::~InstancePeer() {
    if (m_fd >= 0) close(m_fd);
}

InstancePeer::ReadResult InstancePeer::Read(std::string& line) {
    char buffer[512];
    for (;;) {
        const ssize_t n = recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return ReadResult::Waiting;
        if (n <= 0) return ReadResult::Closed;
        if (m_lineTaken) continue;  // a client says nothing more after its request
        m_buffer.append(buffer, static_cast<size_t>(n));
        const size_t end = m_buffer.find('\n');
        if (end == std::string::npos) {
            if (m_buffer.size() > kInstanceLineMax) return ReadResult::Closed;
            continue;
        }
        if (end > kInstanceLineMax) return ReadResult::Closed;
        line = m_buffer.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        m_buffer.clear();
        m_lineTaken = true;
        return ReadResult::Line;
    }
}

bool InstancePeer::Send(std::string_view line) {
    // A reply is small; a client whose buffer is full is not reading and is dropped
    // rather than let the window wait for it.
    return m_fd >= 0 && SendAll(m_fd, line, MSG_DONTWAIT);
}

InstanceClient::~InstanceClient() { Close(); }

bool InstanceClient::Connect(const std::string& socketPath, std::chrono::milliseconds wait) {
    Close();
    sockaddr_un addr {};
    addr.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, socketPath.c_str(), socketPath.size() + 1);
    m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0) return false;
    // A listener whose queue is full makes a blocking connect wait without end; without
    // blocking it says so (EAGAIN), and the connect is tried again until `wait` ends.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (connect(m_fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        if ((errno != EAGAIN && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            Close();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    // The socket may lie in a folder other users can write to (a shared lock folder): ask
    // only our own user's instance, never a socket someone else put under our name.
    ucred peer {};
    socklen_t size = sizeof peer;
    if (getsockopt(m_fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != geteuid()) {
        Close();
        return false;
    }
    return true;
}

bool InstanceClient::Send(std::string_view line) { return m_fd >= 0 && SendAll(m_fd, line, 0); }

InstanceClient::ReadResult InstanceClient::ReadLine(std::string& line, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const size_t end = m_buffer.find('\n'); end != std::string::npos) {
            line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return ReadResult::Line;
        }
        if (m_fd < 0 || m_buffer.size() > kReplyMax) return ReadResult::Closed;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return ReadResult::TimedOut;
        pollfd pfd {m_fd, POLLIN, 0};
        const int ready = poll(&pfd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) return ReadResult::TimedOut;
        char buffer[4096];
        const ssize_t n = ready < 0 ? -1 : read(m_fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return ReadResult::Closed;
        m_buffer.append(buffer, static_cast<size_t>(n));
    }
}

void InstanceClient::Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    m_buffer.clear();
}

}  // namespace vr31k
