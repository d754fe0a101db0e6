#pragma once
// What carries a link's traffic and its name lookups, as the machine is set up now:
// read from the kernel's tables and the resolver's settings, never by sending anything
// over the link.
#include <functional>
#include <string>

namespace vr31k {

enum class LinkRoute {
    Unknown,    // not looked at, or the link is not there
    Through,    // the default route goes through the link
    Elsewhere,  // another interface takes the traffic (a default route of lower metric, a VPN)
    None,       // there is no default route at all
};

enum class LinkNames {
    Unknown,    // not looked at, or the resolver cannot be read
    Used,       // names are looked up through the link's name servers
    NotUsed,    // the link has servers, but lookups go to others
    NoServers,  // the link brought no name servers
};

struct LinkPathFacts {
    LinkRoute route = LinkRoute::Unknown;
    std::string routeInterface;  // where the traffic goes instead (Elsewhere)
    LinkNames names = LinkNames::Unknown;
    bool operator==(const LinkPathFacts&) const = default;
};

// The facts for the link on `interfaceName`. May take a bounded while (the system bus):
// read now and then, not on every tick.
using LinkPathProbe = std::function<LinkPathFacts(const std::string& interfaceName)>;

}  // namespace vr31k
