#include "app/DesktopLinkStep.h"

#include "common/DataFolder.h"
#include "common/SettingsStore.h"
#include "platform/linux/DesktopLink.h"
#include "platform/linux/NetLinks.h"

namespace vr31k {

int DesktopLinkStep(bool up, const DesktopLinkFacts& facts, std::ostream& err) {
    DesktopLinkInput in;
    in.interface = facts.interface;
    if (!up) return DesktopLinkDown(in, err);
    in.ifindex = static_cast<int>(InterfaceIndex(facts.sysRoot + "/class/net", in.interface));
    in.servers = facts.servers;
    in.metered = SettingsStore(MakeDataPaths(facts.dataFolder).settings).ReadDesktopMetered();
    return DesktopLinkUp(in, err);
}

}  // namespace vr31k
