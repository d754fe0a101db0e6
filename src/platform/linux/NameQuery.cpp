#include "platform/linux/NameQuery.h"

#include "common/UniqueFd.h"

#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <netinet/in.h>
#include <poll.h>
#include <resolv.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace vr31k {

namespace {

constexpr size_t kIpUdpHeaders = 20 + 8;

std::string Errno(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Reads the answer to the question with `id`; false while the datagram is not it.
bool ReadAnswer(const unsigned char* answer, int size, uint16_t id, NameQueryResult& result) {
    ns_msg message{};
    if (ns_initparse(answer, size, &message) < 0 || ns_msg_id(message) != id || ns_msg_getflag(message, ns_f_qr) == 0) {
        return false;
    }
    result.answered = true;
    result.rcode = ns_msg_getflag(message, ns_f_rcode);
    for (int i = 0; i < ns_msg_count(message, ns_s_an); ++i) {
        ns_rr record{};
        if (ns_parserr(&message, ns_s_an, i, &record) < 0) break;
        if (ns_rr_type(record) != ns_t_a || ns_rr_rdlen(record) != 4) continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, ns_rr_rdata(record), text, sizeof text);
        result.address = text;
        break;
    }
    return true;
}

}  // namespace

NameQueryResult QueryName(const std::string& server, const std::string& interfaceName, const std::string& name,
                          std::chrono::milliseconds wait, unsigned short port) {
    NameQueryResult result;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (inet_pton(AF_INET, server.c_str(), &to.sin_addr) != 1) {
        result.error = "not an IPv4 address: " + server;
        return result;
    }
    unsigned char question[NS_PACKETSZ];
    const int length = res_mkquery(ns_o_query, name.c_str(), ns_c_in, ns_t_a, nullptr, 0, nullptr, question,
                                   sizeof question);
    if (length < NS_HFIXEDSZ) {
        result.error = "cannot ask for " + name;
        return result;
    }
    const uint16_t id = static_cast<uint16_t>(question[0] << 8 | question[1]);
    const UniqueFd fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (fd.fd < 0) {
        result.error = Errno("socket");
        return result;
    }
    if (setsockopt(fd.fd, SOL_SOCKET, SO_BINDTODEVICE, interfaceName.c_str(),
                   static_cast<socklen_t>(interfaceName.size())) != 0) {
        result.error = Errno(("bind to " + interfaceName).c_str());
        return result;
    }
    if (sendto(fd.fd, question, static_cast<size_t>(length), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) != length) {
        result.error = Errno("send");
        return result;
    }
    result.sent = true;
    result.bytesSent = static_cast<size_t>(length) + kIpUdpHeaders;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!result.answered) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{fd.fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) break;
        unsigned char answer[NS_MAXMSG];
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t n = recvfrom(fd.fd, answer, sizeof answer, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (n <= 0) continue;
        result.bytesReceived += static_cast<size_t>(n) + kIpUdpHeaders;
        // Only the server's answer to this question counts; anything else is passed over.
        if (from.sin_addr.s_addr == to.sin_addr.s_addr && from.sin_port == to.sin_port) {
            ReadAnswer(answer, static_cast<int>(n), id, result);
        }
    }
    return result;
}

}  // namespace vr31k
