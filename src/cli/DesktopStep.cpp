#include "cli/DesktopStep.h"

#include "common/DataFolder.h"
#include "common/SettingsStore.h"
#include "platform/linux/DesktopLink.h"
#include "platform/linux/NetLinks.h"

namespace vr31k::cli {

int DesktopStep(LinkPhase phase, const PppdLinkInput& link, std::ostream& err) {
    DesktopLinkInput in;
    in.interface = link.InterfaceName();
    if (phase == LinkPhase::Down) return DesktopLinkDown(in, err);
    in.ifindex = static_cast<int>(InterfaceIndex(link.sysRoot + "/class/net", in.interface));
    // pppd sets them with usepeerdns, which the card's peer asks for.
    for (const char* name : {"DNS1", "DNS2"}) {
        if (std::string server = link.Env(name); !server.empty()) in.servers.push_back(std::move(server));
    }
    in.metered = SettingsStore(MakeDataPaths(link.dataFolder).settings).ReadDesktopMetered();
    return DesktopLinkUp(in, err);
}

}  // namespace vr31k::cli
