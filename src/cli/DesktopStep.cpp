#include "cli/DesktopStep.h"

#include "app/DesktopLinkStep.h"

namespace vr31k::cli {

int DesktopStep(LinkPhase phase, const PppdLinkInput& link, std::ostream& err) {
    DesktopLinkFacts facts{
        .dataFolder = link.dataFolder, .interface = link.InterfaceName(), .sysRoot = link.sysRoot, .servers = {}};
    // pppd sets them with usepeerdns, which the card's peer asks for.
    for (const char* name : {"DNS1", "DNS2"}) {
        if (std::string server = link.Env(name); !server.empty()) facts.servers.push_back(std::move(server));
    }
    return DesktopLinkStep(phase == LinkPhase::Up, facts, err);
}

}  // namespace vr31k::cli
