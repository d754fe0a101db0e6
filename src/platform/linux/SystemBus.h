#pragma once
// The system bus, reached within a bound. A bus that accepts the connection and then says
// nothing holds sd-bus's own connection for its authentication time-out (90 s) and
// libdbus's (inside Qt D-Bus) for longer still; every connection of this program to the
// system bus is made, or first tried, here: the handshake (authentication and Hello) is
// driven by hand until the bus has answered or the time is up.
#include <chrono>
#include <memory>
#include <string>

struct sd_bus;

namespace vr31k {

// How long the system bus has to answer a connection; each call on it has as long again.
inline constexpr std::chrono::milliseconds kSystemBusAnswerTime{2000};

// $DBUS_SYSTEM_BUS_ADDRESS, else the standard socket: where sd-bus and libdbus look.
std::string SystemBusAddress();

// Closes without flushing: a flush waits on the bus without a bound.
struct SdBusClose {
    void operator()(sd_bus* bus) const;
};
using SdBus = std::unique_ptr<sd_bus, SdBusClose>;

enum class BusReach {
    Ready,        // the bus answered: the connection is ready for calls
    Unreachable,  // nothing listens there, or the bus refused or dropped the connection
    Silent,       // the bus took the connection and did not answer within the bound
};

// A client connection to the bus at `address`, ready within `limit`; null otherwise, with
// `reach` saying why.
SdBus ConnectSystemBus(const std::string& address, std::chrono::milliseconds limit, BusReach& reach);

}  // namespace vr31k
