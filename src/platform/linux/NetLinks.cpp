#include "platform/linux/NetLinks.h"

#include "common/FileSystem.h"

#include <dirent.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vr31k {

namespace {

std::optional<uint64_t> ReadNumber(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, 64, text)) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str()) return std::nullopt;
    return value;
}

}  // namespace

std::vector<NetLink> ListPppLinks(const std::string& sysNetRoot) {
    std::vector<NetLink> links;
    DIR* dir = opendir(sysNetRoot.c_str());
    if (dir == nullptr) return links;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind("ppp", 0) != 0) continue;
        NetLink link;
        link.name = name;
        const auto flags = ReadNumber(sysNetRoot + "/" + name + "/flags");
        link.up = flags && (*flags & 0x1) != 0;  // IFF_UP
        links.push_back(std::move(link));
    }
    closedir(dir);
    std::sort(links.begin(), links.end(), [](const NetLink& a, const NetLink& b) { return a.name < b.name; });
    return links;
}

bool LinkExists(const std::string& sysNetRoot, const std::string& name) {
    return !name.empty() && FolderExists(sysNetRoot + "/" + name);
}

int64_t InterfaceIndex(const std::string& sysNetRoot, const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return 0;
    const auto index = ReadNumber(sysNetRoot + "/" + name + "/ifindex");
    return index && *index <= static_cast<uint64_t>(INT32_MAX) ? static_cast<int64_t>(*index) : 0;
}

std::optional<LinkCounters> ReadLinkCounters(const std::string& sysNetRoot, const std::string& name) {
    const std::string base = sysNetRoot + "/" + name + "/statistics/";
    const auto tx = ReadNumber(base + "tx_bytes");
    const auto rx = ReadNumber(base + "rx_bytes");
    if (!tx || !rx) return std::nullopt;
    return LinkCounters{*tx, *rx};
}

LinkWatch::LinkWatch() {
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_netlinkFd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (m_netlinkFd >= 0) {
        sockaddr_nl addr{};
        addr.nl_family = AF_NETLINK;
        addr.nl_groups = RTMGRP_LINK;
        if (bind(m_netlinkFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            close(m_netlinkFd);
            m_netlinkFd = -1;
        }
    }
}

LinkWatch::~LinkWatch() {
    if (m_netlinkFd >= 0) close(m_netlinkFd);
    if (m_wakeFd >= 0) close(m_wakeFd);
}

void LinkWatch::Wake(unsigned bits) {
    m_bits.fetch_or(bits);
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(m_wakeFd, &one, sizeof one);
}

void LinkWatch::NoteChange() {
    m_changed.store(true);
    Wake(0);
}

bool LinkWatch::DrainNetlink() {
    bool changed = false;
    alignas(nlmsghdr) char buffer[16384];
    for (;;) {
        const ssize_t n = recv(m_netlinkFd, buffer, sizeof buffer, 0);
        if (n < 0) {
            // ENOBUFS: events were dropped; the caller re-reads everything anyway.
            if (errno == ENOBUFS) changed = true;
            break;
        }
        if (n == 0) break;
        int remaining = static_cast<int>(n);
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(h, remaining);
             h = NLMSG_NEXT(h, remaining)) {
            if (h->nlmsg_type == RTM_NEWLINK || h->nlmsg_type == RTM_DELLINK) changed = true;
        }
    }
    return changed;
}

IConnectionWatch::Result LinkWatch::Wait(int timeoutMs) {
    Result result;
    pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {m_netlinkFd, POLLIN, 0}};
    const nfds_t count = m_netlinkFd >= 0 ? 2 : 1;
    for (;;) {
        result.wakeBits = m_bits.exchange(0);
        result.linksChanged = m_changed.exchange(false);
        if (result.wakeBits != 0 || result.linksChanged) break;
        const int ready = poll(fds, count, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        if (fds[0].revents != 0) {
            uint64_t value = 0;
            [[maybe_unused]] const ssize_t n = read(m_wakeFd, &value, sizeof value);
        }
        if (count == 2 && fds[1].revents != 0 && DrainNetlink()) m_changed.store(true);
    }
    return result;
}

}  // namespace vr31k
