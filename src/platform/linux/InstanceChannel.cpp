#include "platform/InstanceChannel.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vr31k {

namespace {

constexpr int kSenderTimeoutMs = 200;

bool MakeAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool ParseNumber(const std::string& token, long long& out) {
    if (token.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(token.c_str(), &end, 0);
    return errno == 0 && end != nullptr && *end == '\0';
}

}  // namespace

std::string FormatInstanceMessage(const InstanceMessage& m) {
    char text[96];
    std::snprintf(text, sizeof text, "0x%x %llu %lld\n", m.message,
                  static_cast<unsigned long long>(m.wParam), static_cast<long long>(m.lParam));
    return text;
}

std::optional<InstanceMessage> ParseInstanceMessage(std::string_view line) {
    std::vector<std::string> tokens;
    std::string current;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!current.empty()) tokens.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) tokens.push_back(std::move(current));
    if (tokens.size() != 3) return std::nullopt;
    long long msg = 0, w = 0, l = 0;
    if (!ParseNumber(tokens[0], msg) || !ParseNumber(tokens[1], w) || !ParseNumber(tokens[2], l)) {
        return std::nullopt;
    }
    if (msg < 0 || msg > 0xFFFF || w < 0) return std::nullopt;
    return InstanceMessage{static_cast<uint32_t>(msg), static_cast<uint64_t>(w), static_cast<int64_t>(l)};
}

// Through the request client, so a one-way message too goes only to this user's instance.
bool SendInstanceMessage(const std::string& socketPath, const InstanceMessage& message) {
    InstanceClient client;
    return client.Connect(socketPath) && client.Send(FormatInstanceMessage(message));
}

InstanceServer::~InstanceServer() { Close(); }

bool InstanceServer::Listen(const std::string& socketPath) {
    Close();
    sockaddr_un addr {};
    if (!MakeAddress(socketPath, addr)) return false;
    m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) return false;
    unlink(socketPath.c_str());
    // Only this user may talk to the instance: create the socket with mode 0600.
    const mode_t oldMask = umask(0177);
    const bool bound = bind(m_fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    umask(oldMask);
    if (!bound || listen(m_fd, 8) != 0) {
        close(m_fd);
        m_fd = -1;
        return false;
    }
    m_path = socketPath;
    return true;
}

std::vector<InstanceMessage> InstanceServer::TakeMessages() {
    std::vector<InstanceMessage> messages;
    if (m_fd < 0) return messages;
    for (;;) {
        const int client = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) break;
        std::string line;
        char buffer[128];
        while (line.size() < 256 && line.find('\n') == std::string::npos) {
            pollfd pfd {client, POLLIN, 0};
            if (poll(&pfd, 1, kSenderTimeoutMs) <= 0) break;
            const ssize_t n = read(client, buffer, sizeof buffer);
            if (n <= 0) break;
            line.append(buffer, static_cast<size_t>(n));
        }
        close(client);
        if (auto m = ParseInstanceMessage(line.substr(0, line.find('\n')))) messages.push_back(*m);
    }
    return messages;
}

int InstanceServer::AcceptClient() {
    if (m_fd < 0) return -1;
    for (;;) {
        const int client = accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) return -1;
        // The socket's mode keeps other users out; the peer's credentials make sure of
        // it whatever the folder and the umask of the moment allowed.
        ucred peer {};
        socklen_t size = sizeof peer;
        if (getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid()) return client;
        close(client);
    }
}

void InstanceServer::Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    if (!m_path.empty()) unlink(m_path.c_str());
    m_path.clear();
}

}  // namespace vr31k
