// systemd-resolved and a link it is not told about: its documented way for a program that
// brings a link up is to give the link's servers and domains for the interface index
// (SetLinkDNS, SetLinkDomains) and RevertLink when it ends. "~." routes every name to
// the link's servers, as the default route goes through it.
#include "platform/linux/DesktopBus.h"
#include "platform/linux/DesktopLinkParts.h"

#include <arpa/inet.h>
#include <sys/socket.h>

namespace vr31k {

namespace {

DesktopResult Outcome(const SdBusError& error, int r, std::string& why) {
    why = error.Text(r);
    return error.Has(SD_BUS_ERROR_ACCESS_DENIED) || error.Has(SD_BUS_ERROR_AUTH_FAILED) ||
                   error.Has(SD_BUS_ERROR_INTERACTIVE_AUTHORIZATION_REQUIRED)
               ? DesktopResult::Refused
               : DesktopResult::Failed;
}

int AppendServers(sd_bus_message* m, int ifindex, const std::vector<std::string>& servers) {
    int r = sd_bus_message_append(m, "i", ifindex);
    if (r >= 0) r = sd_bus_message_open_container(m, 'a', "(iay)");
    for (const std::string& server : servers) {
        unsigned char bytes[16] = {};
        const int family = inet_pton(AF_INET, server.c_str(), bytes) == 1 ? AF_INET : AF_INET6;
        if (r < 0 || (family == AF_INET6 && inet_pton(AF_INET6, server.c_str(), bytes) != 1)) continue;
        if ((r = sd_bus_message_open_container(m, 'r', "iay")) >= 0 &&
            (r = sd_bus_message_append(m, "i", family)) >= 0 &&
            (r = sd_bus_message_append_array(m, 'y', bytes, family == AF_INET ? 4 : 16)) >= 0) {
            r = sd_bus_message_close_container(m);
        }
    }
    return r < 0 ? r : sd_bus_message_close_container(m);
}

}  // namespace

DesktopResult ResolvedSetLink(sd_bus* bus, int ifindex, const std::vector<std::string>& servers, std::string& why,
                              std::chrono::milliseconds limit) {
    SdBusError error;
    SdBusMessage reply;
    int r = CallMethod(
        bus, kResolvedService, kResolvedPath, kResolvedManager, "SetLinkDNS",
        [&](sd_bus_message* m) { return AppendServers(m, ifindex, servers); }, error, reply, limit);
    if (r >= 0) {
        r = CallMethod(
            bus, kResolvedService, kResolvedPath, kResolvedManager, "SetLinkDomains",
            [&](sd_bus_message* m) { return sd_bus_message_append(m, "ia(sb)", ifindex, 1, ".", 1); }, error, reply,
            limit);
    }
    return r < 0 ? Outcome(error, r, why) : DesktopResult::Done;
}

DesktopResult ResolvedRevertLink(sd_bus* bus, int ifindex, std::string& why, std::chrono::milliseconds limit) {
    SdBusError error;
    SdBusMessage reply;
    const int r = CallMethod(
        bus, kResolvedService, kResolvedPath, kResolvedManager, "RevertLink",
        [&](sd_bus_message* m) { return sd_bus_message_append(m, "i", ifindex); }, error, reply, limit);
    // A link already gone took its servers with it.
    if (r < 0 && error.Has(kResolvedNoSuchLink)) return DesktopResult::Done;
    return r < 0 ? Outcome(error, r, why) : DesktopResult::Done;
}

}  // namespace vr31k
