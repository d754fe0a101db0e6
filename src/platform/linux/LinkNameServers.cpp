#include "platform/linux/LinkNameServers.h"

#include "common/FileSystem.h"
#include "platform/linux/NetLinks.h"

#include <algorithm>
#include <sstream>

namespace vr31k {

namespace {

// glibc's resolver tries the first three servers of the file, in order.
constexpr size_t kServersTried = 3;

bool Contains(const std::vector<std::string>& list, const std::string& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// Read where the resolver reads it: through the manager's link to its own file.
std::vector<std::string> ServersOfFile(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(CanonicalPath(path), 1 << 16, text)) return {};
    return NameServersIn(text);
}

}  // namespace

std::vector<std::string> NameServersIn(std::string_view resolvConf) {
    std::vector<std::string> servers;
    std::istringstream lines{std::string(resolvConf)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string keyword, address;
        if (words >> keyword >> address && keyword == "nameserver") servers.push_back(address);
    }
    return servers;
}

LinkNames DecideNames(const NameServerFacts& facts) {
    if (facts.linkServers.empty()) return LinkNames::NoServers;
    const bool oneOfTheLinks = std::any_of(facts.inUse.begin(), facts.inUse.end(),
                                           [&](const std::string& s) { return Contains(facts.linkServers, s); });
    if (IsResolved(facts.manager)) {
        if (!facts.resolvedAsked || facts.resolved.reach != BusReach::Ready || !facts.resolved.running) {
            return LinkNames::Unknown;
        }
        const bool takesAll = facts.resolved.defaultRoute || Contains(facts.resolved.domains, "~.");
        return oneOfTheLinks && takesAll ? LinkNames::Used : LinkNames::NotUsed;
    }
    if (facts.manager == ResolverManager::Other) return LinkNames::Unknown;
    if (oneOfTheLinks) return LinkNames::Used;
    // A local server (dnsmasq, a cache) first may well ask the link's: that is not seen here.
    if (!facts.inUse.empty() && (facts.inUse.front().starts_with("127.") || facts.inUse.front() == "::1")) {
        return LinkNames::Unknown;
    }
    return LinkNames::NotUsed;
}

NameServerFacts LookAtNameServers(const std::string& interfaceName, const std::string& root,
                                  std::chrono::milliseconds limit) {
    const std::string base = root.ends_with('/') ? root : root + "/";
    NameServerFacts facts;
    facts.linkServers = ServersOfFile(base + "etc/ppp/resolv.conf");
    facts.manager = DetectResolverManager(root);
    if (IsResolved(facts.manager)) {
        const int64_t index = InterfaceIndex(base + "sys/class/net", interfaceName);
        facts.resolvedAsked = index > 0;
        if (facts.resolvedAsked) facts.resolved = LookAtResolvedLink(static_cast<int>(index), limit);
        facts.inUse = facts.resolved.servers;
    } else {
        facts.inUse = ServersOfFile(base + "etc/resolv.conf");
        if (facts.inUse.size() > kServersTried) facts.inUse.resize(kServersTried);
    }
    return facts;
}

}  // namespace vr31k
