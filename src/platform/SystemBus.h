#pragma once
// The system bus, reached within a bound. A bus that accepts the connection and then says
// nothing holds sd-bus's own connection for its authentication time-out (90 s) and
// libdbus's (inside Qt D-Bus) for longer still; every connection of this program to the
// system bus is made, or first tried, through here (platform/linux/SdBus.h): the handshake
// (authentication and Hello) is driven by hand until the bus has answered or the time is
// up.
#include <chrono>
#include <string>

namespace vr31k {

// How long the system bus has to answer a connection; each call on it has as long again.
inline constexpr std::chrono::milliseconds kSystemBusAnswerTime{2000};

// $DBUS_SYSTEM_BUS_ADDRESS, else the standard socket: where sd-bus and libdbus look.
std::string SystemBusAddress();

enum class BusReach {
    Ready,        // the bus answered: a connection is ready for calls
    Unreachable,  // nothing listens there, or the bus refused or dropped the connection
    Silent,       // the bus took the connection and did not answer within the bound
};

// Whether the bus at `address` answers a connection within `limit`; the trial connection
// is closed again. Any thread may call it.
BusReach TrySystemBus(const std::string& address, std::chrono::milliseconds limit);

}  // namespace vr31k
