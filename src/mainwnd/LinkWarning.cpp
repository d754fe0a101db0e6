#include "mainwnd/LinkWarning.h"

#include "common/StringIds.h"
#include "common/StringTable.h"

namespace vr31k {

using namespace ids;

LinkWarning LinkWarningOf(const LinkPathFacts& facts) {
    const bool namesElsewhere = facts.names == LinkNames::NotUsed || facts.names == LinkNames::NoServers;
    const std::string& other = facts.routeInterface;
    switch (facts.route) {
    case LinkRoute::None:
        // Nothing leaves at all: the name servers are beside the point.
        return {FormatString(IDS_LINK_WARNING_NO_ROUTE, {}), FormatString(IDS_LINK_TIP_NO_ROUTE, {})};
    case LinkRoute::Elsewhere:
        return {FormatString(namesElsewhere ? IDS_LINK_WARNING_ROUTE_AND_NAMES : IDS_LINK_WARNING_ROUTE, {other}),
                FormatString(IDS_LINK_TIP_ROUTE, {other})};
    case LinkRoute::Unknown:
    case LinkRoute::Through: break;
    }
    if (!namesElsewhere) return {};
    return {FormatString(facts.names == LinkNames::NoServers ? IDS_LINK_WARNING_NO_SERVERS : IDS_LINK_WARNING_NAMES, {}),
            FormatString(IDS_LINK_TIP_NAMES, {})};
}

}  // namespace vr31k
