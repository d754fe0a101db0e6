#pragma once
// Whether a link's name servers are the ones lookups go to: the servers pppd got from
// the peer (usepeerdns writes them to /etc/ppp/resolv.conf), who manages
// /etc/resolv.conf, and what that manager hands the resolver now (the file's servers,
// or systemd-resolved's for the link's interface). Only read: nothing is sent.
#include "platform/LinkPath.h"
#include "platform/linux/DesktopNetwork.h"
#include "platform/linux/ResolverManager.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

struct NameServerFacts {
    std::vector<std::string> linkServers;  // the peer's, in pppd's order
    ResolverManager manager = ResolverManager::Other;
    // What lookups go to: the file's servers in the order the resolver tries them (it
    // tries three), or systemd-resolved's for the link.
    std::vector<std::string> inUse;
    // systemd-resolved's word on the link (asked only when it manages the file).
    bool resolvedAsked = false;
    ResolvedLinkView resolved;
};

// The "nameserver" addresses of a resolv.conf text, in order.
std::vector<std::string> NameServersIn(std::string_view resolvConf);

// Used: a link server is among those tried (for resolved: among the link's, and the
// link takes the names no domain claims); Unknown: the manager cannot be read, or a
// local server answers that may ask anyone.
LinkNames DecideNames(const NameServerFacts& facts);

// The facts for the link on `interfaceName`, under `root` ("/" for the machine's files);
// systemd-resolved is given `limit` to answer.
NameServerFacts LookAtNameServers(const std::string& interfaceName, const std::string& root = "/",
                                  std::chrono::milliseconds limit = kSystemBusAnswerTime);

}  // namespace vr31k
