#pragma once
// The card's link made known to the desktop while it is up, and undone at its end, for
// pppd's link hook (cli/DesktopStep.h): the settings' key read and the machine's
// implementation (platform/linux/DesktopLink.h) composed.
#include <ostream>
#include <string>
#include <vector>

namespace vr31k {

struct DesktopLinkFacts {
    std::string dataFolder;            // where the settings file is
    std::string interface;             // pppd's interface ("ppp0")
    std::string sysRoot = "/sys";      // where its index is read
    std::vector<std::string> servers;  // the peer's name servers (DNS1, DNS2)
};

// 0, or 2 when a change was refused or failed (said on `err`).
int DesktopLinkStep(bool up, const DesktopLinkFacts& facts, std::ostream& err);

}  // namespace vr31k
