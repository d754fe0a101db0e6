#include "platform/linux/MachineLinkPath.h"

#include "platform/linux/DefaultRoute.h"
#include "platform/linux/LinkNameServers.h"
#include "platform/linux/NetLinks.h"

namespace vr31k {

LinkPathProbe MachineLinkPath(std::chrono::milliseconds busLimit) {
    return [busLimit](const std::string& interfaceName) {
        LinkPathFacts facts;
        if (!LinkExists("/sys/class/net", interfaceName)) return facts;
        const RouteFinding route = FindRoute(interfaceName);
        facts.route = route.route;
        facts.routeInterface = route.other;
        facts.names = DecideNames(LookAtNameServers(interfaceName, "/", busLimit));
        return facts;
    };
}

}  // namespace vr31k
