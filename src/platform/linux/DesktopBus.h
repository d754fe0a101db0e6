#pragma once
// The names NetworkManager and systemd-resolved answer to on the system bus, and what
// the looks (DesktopNetwork.h) and the changes (DesktopLink.h) share to reach them.
#include "platform/linux/DesktopNetwork.h"
#include "platform/linux/SdBus.h"
#include "platform/linux/SdBusCall.h"

#include <string>

namespace vr31k {

inline constexpr const char* kNmService = "org.freedesktop.NetworkManager";
inline constexpr const char* kNmPath = "/org/freedesktop/NetworkManager";
inline constexpr const char* kNmDeviceInterface = "org.freedesktop.NetworkManager.Device";
inline constexpr const char* kResolvedService = "org.freedesktop.resolve1";
inline constexpr const char* kResolvedPath = "/org/freedesktop/resolve1";
inline constexpr const char* kResolvedManager = "org.freedesktop.resolve1.Manager";
inline constexpr const char* kResolvedLink = "org.freedesktop.resolve1.Link";
inline constexpr const char* kResolvedNoSuchLink = "org.freedesktop.resolve1.NoSuchLink";

// A connection to the system bus within `limit` when `service` is on it; null otherwise,
// with `ask` saying why (the bus's reach, whether the service runs, a failed call).
SdBus ConnectDesktopBus(const char* service, std::chrono::milliseconds limit, BusAsk& ask);

// One property of `interface` on `path`, its variant entered for reading as `type`.
int GetProperty(sd_bus* bus, const char* service, const char* path, const char* interface, const char* name,
                const char* type, SdBusError& error, SdBusMessage& reply, std::chrono::milliseconds limit);

// NetworkManager's device for the interface: 1 with its path, 0 when it lists none, or
// a negative errno with `error` set.
int FindNmDevice(sd_bus* bus, const std::string& interface, std::string& path, SdBusError& error,
                 std::chrono::milliseconds limit);

}  // namespace vr31k
