#include "simlink/TunDevice.h"

#include "platform/linux/DefaultRoute.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/if.h>
#include <linux/if_tun.h>
#include <net/route.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vr31k::sim {

namespace {

constexpr size_t kPacketSize = 1400;
constexpr size_t kIpUdpHeaders = 28;

uint16_t Checksum(const uint8_t* data, size_t length) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < length; i += 2) sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
    if (length % 2 != 0) sum += static_cast<uint32_t>(data[length - 1] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

bool SetAddress(int sock, const char* name, unsigned long request, unsigned address) {
    ifreq ifr{};
    std::strncpy(ifr.ifr_name, name, IFNAMSIZ - 1);
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = address;
    std::memcpy(&ifr.ifr_addr, &sin, sizeof sin);
    return ioctl(sock, request, &ifr) == 0;
}

}  // namespace

TunDevice::~TunDevice() { Close(); }

bool TunDevice::Create(const std::string& pattern) {
    const int fd = open("/dev/net/tun", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    ifreq ifr{};
    ifr.ifr_flags = IFF_TUN | IFF_NO_PI;
    std::strncpy(ifr.ifr_name, pattern.c_str(), IFNAMSIZ - 1);
    if (ioctl(fd, TUNSETIFF, &ifr) != 0) {
        const int saved = errno;
        close(fd);
        errno = saved;
        return false;
    }
    m_fd = fd;
    m_name = ifr.ifr_name;
    return true;
}

bool TunDevice::Configure(const std::string& local, const std::string& peer) {
    if (inet_pton(AF_INET, local.c_str(), &m_local) != 1 || inet_pton(AF_INET, peer.c_str(), &m_peer) != 1) {
        errno = EINVAL;
        return false;
    }
    // An IPv4 link, as pppd's is without IPv6CP: no IPv6 address, so the kernel sends no
    // router solicitation of its own before pppd's ip-up (best effort: IPv6 may be off).
    if (std::FILE* v6 = std::fopen(("/proc/sys/net/ipv6/conf/" + m_name + "/disable_ipv6").c_str(), "w")) {
        std::fputs("1", v6);
        std::fclose(v6);
    }
    const int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0) return false;
    bool ok = SetAddress(sock, m_name.c_str(), SIOCSIFADDR, m_local) &&
              SetAddress(sock, m_name.c_str(), SIOCSIFDSTADDR, m_peer);
    if (ok) {
        ifreq ifr{};
        std::strncpy(ifr.ifr_name, m_name.c_str(), IFNAMSIZ - 1);
        ok = ioctl(sock, SIOCGIFFLAGS, &ifr) == 0;
        ifr.ifr_flags = static_cast<short>(ifr.ifr_flags | IFF_UP | IFF_RUNNING | IFF_POINTOPOINT);
        ok = ok && ioctl(sock, SIOCSIFFLAGS, &ifr) == 0;
    }
    const int saved = errno;
    close(sock);
    errno = saved;
    if (ok && m_udp < 0) m_udp = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    return ok;
}

bool TunDevice::TakeDefaultRoute() {
    if (m_fd < 0 || !ReadDefaultRoutes().empty()) return false;
    const int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0) return false;
    rtentry route{};
    for (sockaddr* any : {&route.rt_dst, &route.rt_genmask, &route.rt_gateway}) {
        reinterpret_cast<sockaddr_in*>(any)->sin_family = AF_INET;
    }
    route.rt_flags = RTF_UP;
    route.rt_dev = m_name.data();
    const bool added = ioctl(sock, SIOCADDRT, &route) == 0;
    close(sock);
    return added;
}

size_t TunDevice::Receive(size_t bytes) {
    size_t moved = 0;
    std::vector<uint8_t> packet(kPacketSize, 0);
    while (m_fd >= 0 && moved < bytes) {
        const size_t size = std::max(kIpUdpHeaders + 1, std::min(kPacketSize, bytes - moved));
        packet.assign(size, 0);
        packet[0] = 0x45;  // IPv4, 20-byte header
        packet[2] = static_cast<uint8_t>(size >> 8);
        packet[3] = static_cast<uint8_t>(size);
        packet[8] = 64;  // TTL
        packet[9] = IPPROTO_UDP;
        std::memcpy(&packet[12], &m_peer, 4);
        std::memcpy(&packet[16], &m_local, 4);
        const uint16_t sum = Checksum(packet.data(), 20);
        packet[10] = static_cast<uint8_t>(sum >> 8);
        packet[11] = static_cast<uint8_t>(sum);
        packet[20] = 0;
        packet[21] = 9;  // discard
        packet[22] = 0;
        packet[23] = 9;
        packet[24] = static_cast<uint8_t>((size - 20) >> 8);
        packet[25] = static_cast<uint8_t>(size - 20);
        if (write(m_fd, packet.data(), size) != static_cast<ssize_t>(size)) break;
        moved += size;
    }
    return moved;
}

size_t TunDevice::Send(size_t bytes) {
    size_t moved = 0;
    if (m_udp < 0) return 0;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);
    to.sin_addr.s_addr = m_peer;
    std::vector<uint8_t> payload(kPacketSize - kIpUdpHeaders, 0x5A);
    while (moved < bytes) {
        const size_t size = std::min(payload.size(), std::max<size_t>(1, bytes - moved));
        if (sendto(m_udp, payload.data(), size, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0) break;
        moved += size + kIpUdpHeaders;
        Drain();
    }
    return moved;
}

size_t TunDevice::Drain() {
    size_t total = 0;
    char buffer[2048];
    for (;;) {
        const ssize_t n = m_fd >= 0 ? read(m_fd, buffer, sizeof buffer) : -1;
        if (n <= 0) break;
        total += static_cast<size_t>(n);
    }
    return total;
}

void TunDevice::Close() {
    if (m_udp >= 0) close(m_udp);
    if (m_fd >= 0) close(m_fd);
    m_udp = -1;
    m_fd = -1;
}

}  // namespace vr31k::sim
