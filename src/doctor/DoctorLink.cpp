// The checks after the connection, of the card's link that is up: where the traffic
// goes, whether names are looked up through the link's servers and who manages them,
// and whether the desktop treats the link as metered; and, only when asked, one name
// looked up over the link.
#include "doctor/DoctorChecks.h"

#include "common/StringIds.h"
#include "common/StringTable.h"

#include <chrono>

namespace vr31k::doctor {

using namespace ids;

namespace {

// How long the connection test waits for its answer.
constexpr std::chrono::seconds kTestWait{3};

std::string Joined(const std::vector<std::string>& items, const char* between = ", ") {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : between) + item;
    return text;
}

void NotConnected(Context& c, const char* id) {
    c.Add(id, CheckStatus::Unknown, FormatString(IDS_DOCTOR_NOT_CONNECTED, {}));
}

void CheckRoute(Context& c) {
    const std::string& link = c.in.cardLink;
    const RouteFinding found = c.in.route(link);
    const auto number = [](const std::optional<uint32_t>& n) { return std::to_string(n.value_or(0)); };
    switch (found.route) {
    case LinkRoute::Through: c.Add("default-route", CheckStatus::Ok, FormatString(IDS_DOCTOR_ROUTE_OK, {link})); return;
    case LinkRoute::None:
        c.Add("default-route", CheckStatus::Failed, FormatString(IDS_DOCTOR_ROUTE_NONE, {link}),
              FormatString(IDS_DOCTOR_FIX_ROUTE_PPPD, {}));
        return;
    case LinkRoute::Unknown: NotConnected(c, "default-route"); return;
    case LinkRoute::Elsewhere: break;
    }
    if (!found.otherDefault) {
        c.Add("default-route", CheckStatus::Warning, FormatString(IDS_DOCTOR_ROUTE_DIVERTED, {found.other, link}),
              FormatString(IDS_DOCTOR_FIX_ROUTE_VPN, {}));
    } else if (!found.linkMetric) {
        c.Add("default-route", CheckStatus::Warning, FormatString(IDS_DOCTOR_ROUTE_LINK_HAS_NONE, {found.other, link}),
              FormatString(IDS_DOCTOR_FIX_ROUTE_PPPD, {}));
    } else {
        c.Add("default-route", CheckStatus::Warning,
              FormatString(IDS_DOCTOR_ROUTE_OTHER_DEFAULT,
                           {found.other, number(found.otherMetric), link, number(found.linkMetric)}),
              FormatString(IDS_DOCTOR_FIX_ROUTE_OTHER, {found.other}));
    }
}

std::string ManagerText(ResolverManager manager) {
    switch (manager) {
    case ResolverManager::Missing: return std::string(LoadString(IDS_DOCTOR_MANAGER_MISSING));
    case ResolverManager::PlainFile: return std::string(LoadString(IDS_DOCTOR_MANAGER_FILE));
    case ResolverManager::Resolvconf: return "resolvconf";
    case ResolverManager::Openresolv: return "openresolv";
    case ResolverManager::ResolvedStub:
    case ResolverManager::ResolvedUplink: return "systemd-resolved";
    case ResolverManager::NetworkManager: return "NetworkManager";
    case ResolverManager::Other: break;
    }
    return std::string(LoadString(IDS_DOCTOR_MANAGER_OTHER));
}

// What gives the link's servers to the manager, and how to do it by hand meanwhile.
std::string NamesFix(const std::string& link, const NameServerFacts& facts) {
    const std::string manager = ManagerText(facts.manager);
    if (IsResolved(facts.manager)) {
        return FormatString(IDS_DOCTOR_FIX_DNS_RESOLVED, {manager, link, Joined(facts.linkServers, " "), link});
    }
    if (facts.manager == ResolverManager::Resolvconf || facts.manager == ResolverManager::Openresolv) {
        return FormatString(IDS_DOCTOR_FIX_DNS_RESOLVCONF, {manager, link});
    }
    return FormatString(IDS_DOCTOR_FIX_DNS_HOOK, {manager});
}

// A sentence with what the hook said about it, when it said why it did not do it.
std::string WithHookWord(std::string sentence, DesktopResult result, const std::string& why) {
    if ((result != DesktopResult::Refused && result != DesktopResult::Failed) || why.empty()) return sentence;
    return FormatString(IDS_DOCTOR_HOOK_SAID, {sentence, why});
}

void CheckNames(Context& c, const std::optional<DesktopLinkReport>& report) {
    const std::string& link = c.in.cardLink;
    const NameServerFacts facts = c.in.nameServers(link);
    const std::string servers = Joined(facts.linkServers);
    const std::string manager = ManagerText(facts.manager);
    switch (DecideNames(facts)) {
    case LinkNames::Used:
        c.Add("link-dns", CheckStatus::Ok, FormatString(IDS_DOCTOR_DNS_USED, {servers, manager}));
        return;
    case LinkNames::NoServers:
        c.Add("link-dns", CheckStatus::Warning, FormatString(IDS_DOCTOR_DNS_NO_SERVERS, {"/etc/ppp/resolv.conf"}),
              FormatString(IDS_DOCTOR_FIX_DNS_PEER, {}));
        return;
    case LinkNames::Unknown: {
        const std::string why = !facts.resolved.error.empty() ? facts.resolved.error : manager;
        c.Add("link-dns", CheckStatus::Unknown, FormatString(IDS_DOCTOR_DNS_UNKNOWN, {servers, why}));
        return;
    }
    case LinkNames::NotUsed: break;
    }
    std::string sentence = facts.inUse.empty()
                               ? FormatString(IDS_DOCTOR_DNS_NONE_USED, {servers, manager})
                               : FormatString(IDS_DOCTOR_DNS_NOT_USED, {servers, manager, Joined(facts.inUse)});
    if (report) sentence = WithHookWord(std::move(sentence), report->servers, report->serversWhy);
    c.Add("link-dns", CheckStatus::Warning, std::move(sentence), NamesFix(link, facts));
}

const char* MeteredWord(NmMetered value) {
    switch (value) {
    case NmMetered::Yes: return "yes";
    case NmMetered::No: return "no";
    case NmMetered::GuessYes: return "guess-yes";
    case NmMetered::GuessNo: return "guess-no";
    case NmMetered::Unknown: break;
    }
    return "unknown";
}

// Why the hook did not make the link metered, as its report tells it.
std::string MeteredFix(const std::optional<DesktopLinkReport>& report) {
    if (!report) return FormatString(IDS_DOCTOR_FIX_HOOK_DID_NOT_RUN, {});
    switch (report->metered) {
    case DesktopResult::Refused: return FormatString(IDS_DOCTOR_FIX_METERED_REFUSED, {report->meteredWhy});
    case DesktopResult::Failed: return FormatString(IDS_DOCTOR_FIX_METERED_FAILED, {report->meteredWhy});
    default: return FormatString(IDS_DOCTOR_FIX_METERED_SETTING, {});
    }
}

// What updaters ask: NetworkManager's own Metered, which follows its primary connection.
void CheckMetered(Context& c, const std::optional<DesktopLinkReport>& report) {
    const NetworkManagerView nm = c.in.networkManager(c.in.cardLink);
    if (nm.reach != BusReach::Ready) {
        c.Add("metered", CheckStatus::Unknown, FormatString(IDS_DOCTOR_METERED_NO_BUS, {}));
    } else if (!nm.running) {
        c.Add("metered", CheckStatus::Ok, FormatString(IDS_DOCTOR_METERED_NO_NM, {}));
    } else if (!nm.error.empty()) {
        c.Add("metered", CheckStatus::Unknown, FormatString(IDS_DOCTOR_METERED_ERROR, {nm.error}));
    } else if (IsMetered(nm.global)) {
        c.Add("metered", CheckStatus::Ok, FormatString(IDS_DOCTOR_METERED_YES, {MeteredWord(nm.global)}));
    } else if (nm.hasDevice && IsMetered(nm.device)) {
        // The link is metered, but the desktop follows the connection with the default route.
        c.Add("metered", CheckStatus::Warning, FormatString(IDS_DOCTOR_METERED_NOT_PRIMARY, {MeteredWord(nm.global)}),
              FormatString(IDS_DOCTOR_FIX_METERED_ROUTE, {}));
    } else {
        c.Add("metered", CheckStatus::Warning, FormatString(IDS_DOCTOR_METERED_NO, {MeteredWord(nm.global)}),
              MeteredFix(report));
    }
}

void CheckConnectionTest(Context& c) {
    const std::vector<std::string> servers =
        c.in.nameServers ? c.in.nameServers(c.in.cardLink).linkServers : std::vector<std::string>{};
    if (servers.empty()) {
        c.Add("connection-test", CheckStatus::Unknown, FormatString(IDS_DOCTOR_TEST_NO_SERVER, {}));
        return;
    }
    const std::string& server = servers.front();
    const NameQueryResult r = c.in.connectionTest(server, c.in.cardLink);
    const std::string sent = std::to_string(r.bytesSent), received = std::to_string(r.bytesReceived);
    if (!r.sent) {
        c.Add("connection-test", CheckStatus::Failed, FormatString(IDS_DOCTOR_TEST_NOT_SENT, {r.error}));
    } else if (!r.answered) {
        c.Add("connection-test", CheckStatus::Failed,
              FormatString(IDS_DOCTOR_TEST_NO_ANSWER, {server, kTestName, std::to_string(kTestWait.count()), sent}),
              FormatString(IDS_DOCTOR_FIX_TEST_NO_ANSWER, {}));
    } else if (r.rcode != 0 || r.address.empty()) {
        c.Add("connection-test", CheckStatus::Warning,
              FormatString(IDS_DOCTOR_TEST_BAD_ANSWER, {server, kTestName, std::to_string(r.rcode), sent, received}));
    } else {
        c.Add("connection-test", CheckStatus::Ok,
              FormatString(IDS_DOCTOR_TEST_OK, {server, kTestName, r.address, sent, received}));
    }
}

}  // namespace

NameQueryResult RunConnectionTest(const std::string& server, const std::string& link) {
    return QueryName(server, link, kTestName, kTestWait);
}

void CheckLink(Context& c) {
    const bool up = !c.in.cardLink.empty();
    const std::optional<DesktopLinkReport> report =
        up && c.in.desktopReport ? c.in.desktopReport(c.in.cardLink) : std::nullopt;
    const struct {
        const char* id;
        bool looked;
        std::function<void()> check;
    } checks[] = {
        {"default-route", static_cast<bool>(c.in.route), [&] { CheckRoute(c); }},
        {"link-dns", static_cast<bool>(c.in.nameServers), [&] { CheckNames(c, report); }},
        {"metered", static_cast<bool>(c.in.networkManager), [&] { CheckMetered(c, report); }},
        {"connection-test", static_cast<bool>(c.in.connectionTest), [&] { CheckConnectionTest(c); }},
    };
    for (const auto& check : checks) {
        if (!check.looked) continue;
        if (up) check.check();
        else NotConnected(c, check.id);
    }
}

}  // namespace vr31k::doctor
