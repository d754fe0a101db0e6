#pragma once
// The card's link made known to the desktop while it is up, and undone when it ends (run
// as root by pppd's ip-up and ip-down hooks): NetworkManager reports it metered, and the
// link's name servers are given to whoever manages /etc/resolv.conf, through that
// manager's own interface. What is to be undone is kept in a root-only file under
// /run; what was done, for the doctor, in a report everyone may read beside it.
#include "platform/linux/DesktopNetwork.h"
#include "platform/linux/ResolverManager.h"

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vr31k {

// Where the state and the reports live: made by root, 0755; each link's state 0600.
inline constexpr const char* kDesktopRunFolder = "/run/vr31k-utility";

enum class DesktopResult {
    NotAsked,  // the setting is off, or there was nothing to give (no servers)
    Done,      // set while the link is up; undone at its end
    Nothing,   // nothing to do: no NetworkManager, or the manager's own hook does it
    Refused,   // the service said no (polkit): the report keeps its answer
    Failed,    // the bus or the service did not answer, or a call failed
};

// What the step did for one link, as the doctor reads it back.
struct DesktopLinkReport {
    std::string interface;
    DesktopResult metered = DesktopResult::NotAsked;
    std::string meteredWhy;  // the service's answer when refused or failed
    ResolverManager manager = ResolverManager::Other;
    DesktopResult servers = DesktopResult::NotAsked;
    std::string serversWhy;
};

// The report of the link on `interface`; nullopt when there is none (the hook did not
// run for it, or it was not the card's) or it cannot be read.
std::optional<DesktopLinkReport> ReadDesktopLinkReport(const std::string& interface,
                                                       const std::string& runFolder = kDesktopRunFolder);

}  // namespace vr31k
