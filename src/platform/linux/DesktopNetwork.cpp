#include "platform/linux/DesktopNetwork.h"

#include "platform/linux/DesktopBus.h"
#include "platform/linux/SdBusCall.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <array>
#include <cstring>

namespace vr31k {

namespace {

int GetMetered(sd_bus* bus, const char* path, const char* interface, NmMetered& value, SdBusError& error,
               std::chrono::milliseconds limit) {
    SdBusMessage reply;
    uint32_t raw = 0;
    int r = GetProperty(bus, kNmService, path, interface, "Metered", "u", error, reply, limit);
    if (r >= 0 && (r = sd_bus_message_read(reply.get(), "u", &raw)) >= 0) {
        value = raw <= static_cast<uint32_t>(NmMetered::GuessNo) ? static_cast<NmMetered>(raw) : NmMetered::Unknown;
    }
    return r;
}

// A family and address's bytes as text; empty for what is neither IPv4 nor IPv6.
std::string AddressText(int family, const void* bytes, std::size_t size) {
    std::array<char, INET6_ADDRSTRLEN> text{};
    const bool fits = (family == AF_INET && size == 4) || (family == AF_INET6 && size == 16);
    if (!fits || inet_ntop(family, bytes, text.data(), text.size()) == nullptr) return {};
    return text.data();
}

// The link's DNS property: a(iay).
int ReadServers(sd_bus_message* m, std::vector<std::string>& servers) {
    int r = sd_bus_message_enter_container(m, 'a', "(iay)");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'r', "iay")) > 0) {
        int32_t family = 0;
        const void* bytes = nullptr;
        std::size_t size = 0;
        if ((r = sd_bus_message_read(m, "i", &family)) < 0 ||
            (r = sd_bus_message_read_array(m, 'y', &bytes, &size)) < 0) {
            break;
        }
        if (std::string text = AddressText(family, bytes, size); !text.empty()) servers.push_back(std::move(text));
        r = sd_bus_message_exit_container(m);
    }
    return r < 0 ? r : sd_bus_message_exit_container(m);
}

// The link's Domains property: a(sb), routing-only ones written "~name".
int ReadDomains(sd_bus_message* m, std::vector<std::string>& domains) {
    int r = sd_bus_message_enter_container(m, 'a', "(sb)");
    const char* name = nullptr;
    int routeOnly = 0;
    while (r >= 0 && (r = sd_bus_message_read(m, "(sb)", &name, &routeOnly)) > 0) {
        domains.push_back((routeOnly ? "~" : "") + std::string(name));
    }
    return r < 0 ? r : sd_bus_message_exit_container(m);
}

}  // namespace

NetworkManagerView LookAtNetworkManager(const std::string& interface, std::chrono::milliseconds limit) {
    NetworkManagerView view;
    const SdBus bus = ConnectDesktopBus(kNmService, limit, view);
    if (!bus) return view;
    SdBusError error;
    int r = GetMetered(bus.get(), kNmPath, kNmService, view.global, error, limit);
    if (r >= 0 && !interface.empty()) {
        r = FindNmDevice(bus.get(), interface, view.devicePath, error, limit);
        view.hasDevice = r > 0;
        if (view.hasDevice) {
            r = GetMetered(bus.get(), view.devicePath.c_str(), kNmDeviceInterface, view.device, error, limit);
        }
    }
    if (r < 0) view.error = error.Text(r);
    return view;
}

ResolvedLinkView LookAtResolvedLink(int ifindex, std::chrono::milliseconds limit) {
    ResolvedLinkView view;
    const SdBus bus = ConnectDesktopBus(kResolvedService, limit, view);
    if (!bus) return view;
    SdBusError error;
    SdBusMessage reply;
    int r = CallMethod(
        bus.get(), kResolvedService, kResolvedPath, kResolvedManager, "GetLink",
        [&](sd_bus_message* m) { return sd_bus_message_append(m, "i", ifindex); }, error, reply, limit);
    if (r < 0) {
        if (!error.Has(kResolvedNoSuchLink)) view.error = error.Text(r);
        return view;
    }
    const char* raw = nullptr;
    if ((r = sd_bus_message_read(reply.get(), "o", &raw)) < 0) {
        view.error = error.Text(r);
        return view;
    }
    view.hasLink = true;
    const std::string path = raw;
    SdBusMessage dns, domains, route;
    int defaultRoute = 0;
    if ((r = GetProperty(bus.get(), kResolvedService, path.c_str(), kResolvedLink, "DNS", "a(iay)", error, dns,
                         limit)) < 0 ||
        (r = ReadServers(dns.get(), view.servers)) < 0 ||
        (r = GetProperty(bus.get(), kResolvedService, path.c_str(), kResolvedLink, "Domains", "a(sb)", error, domains,
                         limit)) < 0 ||
        (r = ReadDomains(domains.get(), view.domains)) < 0 ||
        (r = GetProperty(bus.get(), kResolvedService, path.c_str(), kResolvedLink, "DefaultRoute", "b", error, route,
                         limit)) < 0 ||
        (r = sd_bus_message_read(route.get(), "b", &defaultRoute)) < 0) {
        view.error = error.Text(r);
    }
    view.defaultRoute = defaultRoute != 0;
    return view;
}

}  // namespace vr31k
