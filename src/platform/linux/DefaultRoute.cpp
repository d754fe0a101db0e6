#include "platform/linux/DefaultRoute.h"

#include "common/FileSystem.h"
#include "common/UniqueFd.h"

#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <sstream>

namespace vr31k {

namespace {

// The kernel answers a route lookup at once; the bound only keeps a broken socket from
// holding the caller.
constexpr timeval kLookupWait{1, 0};

template <typename T>
bool Number(const std::string& text, int base, T& out) {
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, out, base);
    return error == std::errc() && at == end;
}

}  // namespace

std::vector<DefaultRoute> ParseDefaultRoutes(std::string_view procNetRoute) {
    std::vector<DefaultRoute> routes;
    std::istringstream lines{std::string(procNetRoute)};
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags, refs, use, metric, mask;
        if (!(fields >> name >> destination >> gateway >> flags >> refs >> use >> metric >> mask)) continue;
        uint32_t dst = 1, msk = 1, flg = 0, met = 0;
        if (!Number(destination, 16, dst) || !Number(mask, 16, msk) || !Number(flags, 16, flg) ||
            !Number(metric, 10, met)) {
            continue;
        }
        if (dst == 0 && msk == 0 && (flg & 0x1) != 0) routes.push_back({name, met});  // RTF_UP
    }
    return routes;
}

std::vector<DefaultRoute> ReadDefaultRoutes(const std::string& procRoot) {
    std::string text;
    if (!ReadWholeFile(procRoot + "/net/route", 1 << 20, text)) return {};
    return ParseDefaultRoutes(text);
}

std::optional<std::string> KernelRouteInterface(const std::string& address) {
    in_addr destination{};
    if (inet_pton(AF_INET, address.c_str(), &destination) != 1) return std::nullopt;
    const UniqueFd fd(socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
    if (fd.fd < 0) return std::nullopt;
    setsockopt(fd.fd, SOL_SOCKET, SO_RCVTIMEO, &kLookupWait, sizeof kLookupWait);
    struct {
        nlmsghdr header;
        rtmsg route;
        alignas(NLMSG_ALIGNTO) char attributes[RTA_SPACE(sizeof(in_addr))];
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg)) + RTA_LENGTH(sizeof(in_addr));
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.header.nlmsg_seq = 1;
    request.route.rtm_family = AF_INET;
    request.route.rtm_dst_len = 32;
    auto* attribute = reinterpret_cast<rtattr*>(request.attributes);
    attribute->rta_type = RTA_DST;
    attribute->rta_len = RTA_LENGTH(sizeof(in_addr));
    std::memcpy(RTA_DATA(attribute), &destination, sizeof destination);
    if (send(fd.fd, &request, request.header.nlmsg_len, 0) < 0) return std::nullopt;

    alignas(nlmsghdr) char buffer[8192];
    const ssize_t n = recv(fd.fd, buffer, sizeof buffer, 0);
    if (n <= 0) return std::nullopt;
    int remaining = static_cast<int>(n);
    for (auto* h = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(h, remaining); h = NLMSG_NEXT(h, remaining)) {
        if (h->nlmsg_type != RTM_NEWROUTE) continue;  // NLMSG_ERROR: no route
        int length = static_cast<int>(RTM_PAYLOAD(h));
        for (auto* a = RTM_RTA(static_cast<rtmsg*>(NLMSG_DATA(h))); RTA_OK(a, length); a = RTA_NEXT(a, length)) {
            if (a->rta_type != RTA_OIF || RTA_PAYLOAD(a) < sizeof(int)) continue;
            int index = 0;
            std::memcpy(&index, RTA_DATA(a), sizeof index);
            char name[IF_NAMESIZE] = {};
            if (if_indextoname(static_cast<unsigned>(index), name) == nullptr) return std::nullopt;
            return std::string(name);
        }
    }
    return std::nullopt;
}

RouteFinding DecideRoute(const std::string& link, const std::vector<DefaultRoute>& defaults,
                         const std::optional<std::string>& kernelChoice) {
    RouteFinding found;
    const auto lowest = [&](auto&& wanted) -> const DefaultRoute* {
        const DefaultRoute* best = nullptr;
        for (const DefaultRoute& r : defaults) {
            if (wanted(r) && (best == nullptr || r.metric < best->metric)) best = &r;
        }
        return best;
    };
    if (const DefaultRoute* own = lowest([&](const DefaultRoute& r) { return r.interfaceName == link; })) {
        found.linkMetric = own->metric;
    }
    const DefaultRoute* first = lowest([](const DefaultRoute&) { return true; });
    const std::optional<std::string> taker = kernelChoice ? kernelChoice
                                             : first != nullptr ? std::optional(first->interfaceName)
                                                                : std::nullopt;
    if (!taker) {
        found.route = LinkRoute::None;
        return found;
    }
    if (*taker == link) {
        found.route = LinkRoute::Through;
        return found;
    }
    found.route = LinkRoute::Elsewhere;
    found.other = *taker;
    if (const DefaultRoute* other = lowest([&](const DefaultRoute& r) { return r.interfaceName == *taker; })) {
        // Its default route wins when the link has none or one of a higher metric; else
        // the traffic was turned away from the link by narrower routes or a rule.
        found.otherDefault = !found.linkMetric || other->metric <= *found.linkMetric;
        if (found.otherDefault) found.otherMetric = other->metric;
    }
    return found;
}

RouteFinding FindRoute(const std::string& link, const std::string& procRoot) {
    return DecideRoute(link, ReadDefaultRoutes(procRoot), KernelRouteInterface(kRouteProbeAddress));
}

}  // namespace vr31k
