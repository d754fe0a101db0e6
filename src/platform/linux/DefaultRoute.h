#pragma once
// Where the machine's traffic to the Internet leaves while a link is up: the default
// routes of the main table with their metrics (/proc/net/route), and the kernel's own
// choice for an address out there (rtnetlink's route lookup, as `ip route get` asks
// it), which also sees a VPN's narrower routes and routing rules. Both only read the
// kernel's tables: nothing is sent. IPv4 only: the card's links carry no IPv6 (the
// peer file asks for none).
#include "platform/LinkPath.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

struct DefaultRoute {
    std::string interfaceName;
    uint32_t metric = 0;
    bool operator==(const DefaultRoute&) const = default;
};

// The default routes that are up (destination and mask 0) in /proc/net/route's text,
// in the table's order; lines that do not read as routes are passed over.
std::vector<DefaultRoute> ParseDefaultRoutes(std::string_view procNetRoute);
std::vector<DefaultRoute> ReadDefaultRoutes(const std::string& procRoot = "/proc");

// The interface the kernel would send a packet for `address` (dotted IPv4) through;
// nullopt when it has no route for it or cannot be asked.
std::optional<std::string> KernelRouteInterface(const std::string& address);
// The address the lookup asks about: any address out on the Internet would do, and one
// of the documentation range has no route of its own anywhere.
inline constexpr const char* kRouteProbeAddress = "192.0.2.1";

struct RouteFinding {
    LinkRoute route = LinkRoute::Unknown;
    std::string other;                    // the interface that takes the traffic instead
    bool otherDefault = false;            // through a default route of its own (else a VPN's routes or rules)
    std::optional<uint32_t> linkMetric;   // the link's default route, when it has one
    std::optional<uint32_t> otherMetric;  // the other default route's
    bool operator==(const RouteFinding&) const = default;
};

// Whether the traffic goes through `link`: by the kernel's choice when it gave one,
// else by the default routes (the lowest metric; the first of equals, as the kernel
// keeps them). None: no default route at all.
RouteFinding DecideRoute(const std::string& link, const std::vector<DefaultRoute>& defaults,
                         const std::optional<std::string>& kernelChoice);

// The decision over this machine's tables.
RouteFinding FindRoute(const std::string& link, const std::string& procRoot = "/proc");

}  // namespace vr31k
