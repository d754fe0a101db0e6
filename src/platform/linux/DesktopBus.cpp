#include "platform/linux/DesktopBus.h"

namespace vr31k {

SdBus ConnectDesktopBus(const char* service, std::chrono::milliseconds limit, BusAsk& ask) {
    SdBus bus = ConnectSystemBus(SystemBusAddress(), limit, ask.reach);
    if (!bus) return bus;
    SdBusError error;
    const int owned = NameHasOwner(bus.get(), service, error, limit);
    if (owned < 0) ask.error = error.Text(owned);
    ask.running = owned > 0;
    if (!ask.running) bus.reset();
    return bus;
}

int GetProperty(sd_bus* bus, const char* service, const char* path, const char* interface, const char* name,
                const char* type, SdBusError& error, SdBusMessage& reply, std::chrono::milliseconds limit) {
    const int r = CallMethod(
        bus, service, path, "org.freedesktop.DBus.Properties", "Get",
        [&](sd_bus_message* m) { return sd_bus_message_append(m, "ss", interface, name); }, error, reply, limit);
    return r < 0 ? r : sd_bus_message_enter_container(reply.get(), 'v', type);
}

int FindNmDevice(sd_bus* bus, const std::string& interface, std::string& path, SdBusError& error,
                 std::chrono::milliseconds limit) {
    SdBusMessage reply;
    int r = CallMethod(
        bus, kNmService, kNmPath, kNmService, "GetDeviceByIpIface",
        [&](sd_bus_message* m) { return sd_bus_message_append(m, "s", interface.c_str()); }, error, reply, limit);
    if (r < 0 && error.Has("org.freedesktop.NetworkManager.UnknownDevice")) {
        error.Clear();
        return 0;
    }
    if (r < 0) return r;
    const char* raw = nullptr;
    if ((r = sd_bus_message_read(reply.get(), "o", &raw)) < 0) return r;
    path = raw;
    return 1;
}

}  // namespace vr31k
