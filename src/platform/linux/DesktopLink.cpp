#include "platform/linux/DesktopLink.h"

#include "platform/linux/DesktopBus.h"
#include "platform/linux/DesktopLinkParts.h"

#include <arpa/inet.h>
#include <sys/stat.h>

#include <charconv>

namespace vr31k {

namespace {

// The record name resolvconf keeps the link's servers under, after the interface.
constexpr const char* kRecordSuffix = ".vr31k";
// resolvconf's own ppp hook, which already gives it the peer's servers as "IFACE.pppd".
constexpr const char* kResolvconfPppHook = "/etc/ppp/ip-up.d/000resolvconf";

// A kernel interface name (at most 15 bytes), safe in a file name and a record name.
bool GoodInterfaceName(const std::string& name) {
    if (name.empty() || name.size() > 15 || name == "." || name == "..") return false;
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                           c == '-' || c == '.';
        if (!plain) return false;
    }
    return true;
}

std::string StateName(const std::string& interface) { return interface + ".desktop-state"; }
std::string ReportName(const std::string& interface) { return interface + ".desktop-report"; }

std::optional<uint32_t> Number(const std::string& text) {
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

void SaveHold(DesktopKeys& state, const std::string& prefix, const NmLinkHold& hold) {
    if (!hold.before.metered && !hold.before.dns) return;
    state[prefix + "connection"] = hold.connection;
    state[prefix + "uuid"] = hold.uuid;
    state[prefix + "device"] = hold.device;
    state[prefix + "flags"] = std::to_string(hold.updateFlags);
    if (hold.before.metered) state[prefix + "metered"] = std::to_string(*hold.before.metered);
    if (hold.before.dns) {
        std::string words;
        for (const uint32_t word : *hold.before.dns) words += (words.empty() ? "" : ",") + std::to_string(word);
        state[prefix + "dns"] = words;
    }
}

std::optional<NmLinkHold> LoadHold(const DesktopKeys& state, const std::string& prefix) {
    const auto get = [&](const char* key) -> const std::string* {
        const auto found = state.find(prefix + key);
        return found == state.end() ? nullptr : &found->second;
    };
    const std::string* connection = get("connection");
    const std::string* flags = get("flags");
    if (connection == nullptr || flags == nullptr || !Number(*flags)) return std::nullopt;
    NmLinkHold hold;
    hold.connection = *connection;
    hold.uuid = get("uuid") != nullptr ? *get("uuid") : "";
    hold.device = get("device") != nullptr ? *get("device") : "";
    hold.updateFlags = *Number(*flags);
    if (const std::string* metered = get("metered"); metered != nullptr && Number(*metered)) {
        hold.before.metered = static_cast<int32_t>(*Number(*metered));
    }
    if (const std::string* dns = get("dns")) {
        auto& words = hold.before.dns.emplace();
        for (std::size_t at = 0; at < dns->size();) {
            const std::size_t end = std::min(dns->find(',', at), dns->size());
            if (const auto word = Number(dns->substr(at, end - at))) words.push_back(*word);
            at = end + 1;
        }
    }
    return hold;
}

// The peer's servers as NetworkManager's ipv4.dns holds them.
std::vector<uint32_t> Ipv4Words(const std::vector<std::string>& servers) {
    std::vector<uint32_t> words;
    for (const std::string& server : servers) {
        in_addr address{};
        if (inet_pton(AF_INET, server.c_str(), &address) == 1) words.push_back(address.s_addr);
    }
    return words;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

std::string Under(const std::string& root, const char* path) {
    return (root.ends_with('/') ? root.substr(0, root.size() - 1) : root) + path;
}

// What a bus that cannot be used for `service` means for a step: nothing to do when the
// service is not there, else a failure.
DesktopResult Unusable(const BusAsk& ask, const char* service, std::string& why) {
    if (ask.reach == BusReach::Silent) {
        why = "the system bus did not answer within its bound";
        return DesktopResult::Failed;
    }
    if (!ask.error.empty()) {
        why = ask.error;
        return DesktopResult::Failed;
    }
    why = ask.reach == BusReach::Ready ? std::string(service) + " is not running" : "there is no system bus";
    return DesktopResult::Nothing;
}

// The servers given to the manager of /etc/resolv.conf, when pppd's own scripts do not.
DesktopResult GiveServers(const DesktopLinkInput& link, ResolverManager manager, DesktopKeys& state, std::string& why) {
    switch (manager) {
    case ResolverManager::ResolvedStub:
    case ResolverManager::ResolvedUplink: {
        BusAsk ask;
        const SdBus bus = ConnectDesktopBus(kResolvedService, link.busLimit, ask);
        if (!bus) {
            const DesktopResult result = Unusable(ask, kResolvedService, why);
            // Its file in place without it: names do not resolve, whatever is given.
            return result == DesktopResult::Nothing ? DesktopResult::Failed : result;
        }
        const DesktopResult result = ResolvedSetLink(bus.get(), link.ifindex, link.servers, why, link.busLimit);
        if (result == DesktopResult::Done) state["resolved-ifindex"] = std::to_string(link.ifindex);
        return result;
    }
    case ResolverManager::Resolvconf:
    case ResolverManager::Openresolv: {
        if (Exists(Under(link.root, kResolvconfPppHook))) {
            why = std::string("resolvconf's own ppp hook (") + kResolvconfPppHook + ") gives them";
            return DesktopResult::Nothing;
        }
        const std::string record = link.interface + kRecordSuffix;
        const DesktopResult result = ResolvconfAdd(link.resolvconf, record, link.servers, why);
        if (result == DesktopResult::Done) state["resolvconf-record"] = record;
        return result;
    }
    case ResolverManager::PlainFile:
    case ResolverManager::Missing:
        why = "pppd's usepeerdns script (/etc/ppp/ip-up.d/0000usepeerdns) writes them and restores the file";
        return DesktopResult::Nothing;
    case ResolverManager::NetworkManager:
    case ResolverManager::Other:
        break;
    }
    why = "/etc/resolv.conf is kept by a manager this step does not know";
    return DesktopResult::Nothing;
}

void Tell(std::ostream& err, const std::string& interface, const char* what, DesktopResult result,
          const std::string& why) {
    if (result != DesktopResult::Refused && result != DesktopResult::Failed) return;
    err << "vr31k-link-hook: " << interface << ": " << what
        << (result == DesktopResult::Refused ? " refused: " : " failed: ") << why << "\n";
}

}  // namespace

int DesktopLinkUp(const DesktopLinkInput& given, std::ostream& err) {
    if (!GoodInterfaceName(given.interface)) {
        err << "vr31k-link-hook: the interface name from pppd is not one: nothing is changed for the desktop\n";
        return 2;
    }
    DesktopLinkInput link = given;
    // pppd's DNS1 and DNS2 go to files and programs: addresses only.
    std::erase_if(link.servers, [](const std::string& server) {
        unsigned char bytes[16];
        return inet_pton(AF_INET, server.c_str(), bytes) != 1 && inet_pton(AF_INET6, server.c_str(), bytes) != 1;
    });
    DesktopLinkReport report;
    report.interface = link.interface;
    report.manager = DetectResolverManager(link.root);
    DesktopKeys state;
    const bool nmServers = report.manager == ResolverManager::NetworkManager && !link.servers.empty();
    if (link.metered || nmServers) {
        BusAsk ask;
        const SdBus bus = ConnectDesktopBus(kNmService, link.busLimit, ask);
        std::string why;
        const DesktopResult unusable = bus ? DesktopResult::Done : Unusable(ask, kNmService, why);
        if (link.metered) {
            NmLinkHold hold;
            report.metered = bus ? NmApply(bus.get(), link.interface, {.metered = int32_t(NmMetered::Yes), .dns = {}},
                                           hold, report.meteredWhy, link.busLimit, link.deviceWait)
                                 : unusable;
            if (!bus) report.meteredWhy = why;
            if (report.metered == DesktopResult::Done) SaveHold(state, "nm-metered-", hold);
        }
        if (nmServers) {
            NmLinkHold hold;
            report.servers = bus ? NmApply(bus.get(), link.interface, {.metered = {}, .dns = Ipv4Words(link.servers)},
                                           hold, report.serversWhy, link.busLimit, link.deviceWait)
                                 : unusable;
            if (!bus) report.serversWhy = why;
            if (report.servers == DesktopResult::Done) SaveHold(state, "nm-dns-", hold);
        }
    }
    if (!nmServers && !link.servers.empty())
        report.servers = GiveServers(link, report.manager, state, report.serversWhy);
    int status = 0;
    if (!state.empty()) {
        if (const std::string problem = WriteDesktopFile(link.runFolder, StateName(link.interface), state, 0600);
            !problem.empty()) {
            err << "vr31k-link-hook: " << link.interface << ": what to undo at the link's end cannot be kept: "
                << problem << "\n";
            status = 2;
        }
    }
    const DesktopKeys keys = {{"interface", link.interface},
                              {"manager", ResolverManagerId(report.manager)},
                              {"metered", DesktopResultId(report.metered)},
                              {"metered-why", report.meteredWhy},
                              {"servers", DesktopResultId(report.servers)},
                              {"servers-why", report.serversWhy}};
    WriteDesktopFile(link.runFolder, ReportName(link.interface), keys, 0644);
    Tell(err, link.interface, "metered for NetworkManager", report.metered, report.meteredWhy);
    Tell(err, link.interface, "the link's name servers", report.servers, report.serversWhy);
    for (const DesktopResult result : {report.metered, report.servers}) {
        if (result == DesktopResult::Refused || result == DesktopResult::Failed) status = 2;
    }
    return status;
}

int DesktopLinkDown(const DesktopLinkInput& link, std::ostream& err) {
    if (!GoodInterfaceName(link.interface)) return 2;
    const std::optional<DesktopKeys> state = ReadDesktopFile(link.runFolder, StateName(link.interface));
    RemoveDesktopFile(link.runFolder, ReportName(link.interface));
    if (!state) return 0;
    RemoveDesktopFile(link.runFolder, StateName(link.interface));
    int status = 0;
    const auto undo = [&](const char* what, DesktopResult result, const std::string& why) {
        Tell(err, link.interface, what, result, why);
        if (result == DesktopResult::Refused || result == DesktopResult::Failed) status = 2;
    };
    std::string why;
    // In the reverse order of the link's start.
    if (const auto record = state->find("resolvconf-record"); record != state->end()) {
        if (record->second == link.interface + kRecordSuffix) {
            undo("taking the link's name servers back", ResolvconfDelete(link.resolvconf, record->second, why), why);
        }
    }
    if (const auto index = state->find("resolved-ifindex"); index != state->end() && Number(index->second)) {
        BusAsk ask;
        const SdBus bus = ConnectDesktopBus(kResolvedService, link.busLimit, ask);
        const DesktopResult result =
            bus ? ResolvedRevertLink(bus.get(), static_cast<int>(*Number(index->second)), why, link.busLimit)
                : Unusable(ask, kResolvedService, why);
        undo("taking the link's name servers back", result, why);
    }
    const auto dns = LoadHold(*state, "nm-dns-");
    const auto metered = LoadHold(*state, "nm-metered-");
    if (dns || metered) {
        BusAsk ask;
        const SdBus bus = ConnectDesktopBus(kNmService, link.busLimit, ask);
        if (!bus) {
            undo("undoing the changes to NetworkManager's connection", Unusable(ask, kNmService, why), why);
            return status;
        }
        if (dns) undo("taking the link's name servers back", NmRestore(bus.get(), *dns, why, link.busLimit), why);
        if (metered)
            undo("undoing metered for NetworkManager", NmRestore(bus.get(), *metered, why, link.busLimit), why);
    }
    return status;
}

std::optional<DesktopLinkReport> ReadDesktopLinkReport(const std::string& interface, const std::string& runFolder) {
    if (!GoodInterfaceName(interface)) return std::nullopt;
    const std::optional<DesktopKeys> keys = ReadDesktopFile(runFolder, ReportName(interface));
    if (!keys || !keys->contains("interface")) return std::nullopt;
    const auto get = [&](const char* key) {
        const auto found = keys->find(key);
        return found == keys->end() ? std::string() : found->second;
    };
    DesktopLinkReport report;
    report.interface = get("interface");
    for (int m = 0; m <= static_cast<int>(ResolverManager::Other); ++m) {
        if (get("manager") == ResolverManagerId(static_cast<ResolverManager>(m))) {
            report.manager = static_cast<ResolverManager>(m);
        }
    }
    report.metered = DesktopResultFromId(get("metered"));
    report.meteredWhy = get("metered-why");
    report.servers = DesktopResultFromId(get("servers"));
    report.serversWhy = get("servers-why");
    return report;
}

}  // namespace vr31k
