#include "platform/linux/SdBus.h"

#include <systemd/sd-bus.h>

#include <cstdlib>

namespace vr31k {

std::string SystemBusAddress() {
    // secure_getenv, as sd-bus reads it: a set-id program never follows the caller's bus.
    const char* address = secure_getenv("DBUS_SYSTEM_BUS_ADDRESS");
    return address != nullptr && *address != '\0' ? address : "unix:path=/run/dbus/system_bus_socket";
}

void SdBusClose::operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }

// What sd_bus_open_system does, except that it waits for the handshake itself: the
// connect is non-blocking and sd_bus_start only sends the authentication, so the wait
// for the bus's answer is ours to bound (sd-bus would otherwise wait at the first call).
SdBus ConnectSystemBus(const std::string& address, std::chrono::milliseconds limit, BusReach& reach) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;
    reach = BusReach::Unreachable;
    sd_bus* raw = nullptr;
    if (sd_bus_new(&raw) < 0) return {};
    SdBus bus(raw);
    if (sd_bus_set_address(raw, address.c_str()) < 0 || sd_bus_set_bus_client(raw, 1) < 0 ||
        sd_bus_set_method_call_timeout(raw, std::chrono::microseconds(kSystemBusAnswerTime).count()) < 0 ||
        sd_bus_start(raw) < 0) {
        return {};
    }
    while (sd_bus_is_ready(raw) <= 0) {
        const int r = sd_bus_process(raw, nullptr);
        if (r < 0 || sd_bus_is_open(raw) <= 0) return {};
        if (r > 0) continue;
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            reach = BusReach::Silent;
            return {};
        }
        if (sd_bus_wait(raw, left.count()) < 0) return {};
    }
    reach = BusReach::Ready;
    return bus;
}

BusReach TrySystemBus(const std::string& address, std::chrono::milliseconds limit) {
    BusReach reach = BusReach::Unreachable;
    ConnectSystemBus(address, limit, reach);
    return reach;
}

}  // namespace vr31k
