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

// One link as the hook hands it over.
struct DesktopLinkInput {
    std::string interface;             // "ppp0"
    int ifindex = 0;                   // its index, for systemd-resolved
    std::vector<std::string> servers;  // the peer's name servers (pppd's DNS1, DNS2)
    bool metered = true;               // the setting: NetworkManager reports the link metered
    std::string root = "/";            // where /etc/resolv.conf and pppd's hooks are looked at
    std::string runFolder = kDesktopRunFolder;
    std::string resolvconf = "/sbin/resolvconf";
    std::chrono::milliseconds busLimit = kSystemBusAnswerTime;  // the bus's connection and each call
    // How long NetworkManager has to take up a new interface as an external device.
    std::chrono::milliseconds deviceWait{5000};
};

// Sets the desktop up for the link, keeping what is to be undone; 0, or 2 when something
// was refused or failed (said on `err`, once, and kept in the report).
int DesktopLinkUp(const DesktopLinkInput& link, std::ostream& err);
// Undoes what the link's state says was done, and removes its state and report.
int DesktopLinkDown(const DesktopLinkInput& link, std::ostream& err);

// The report of the link on `interface`; nullopt when there is none (the hook did not
// run for it, or it was not the card's) or it cannot be read.
std::optional<DesktopLinkReport> ReadDesktopLinkReport(const std::string& interface,
                                                       const std::string& runFolder = kDesktopRunFolder);

}  // namespace vr31k
