#pragma once
// sd-bus connections to the system bus, made within a bound (platform/SystemBus.h).
#include "platform/SystemBus.h"

#include <memory>

struct sd_bus;

namespace vr31k {

// Closes without flushing: a flush waits on the bus without a bound.
struct SdBusClose {
    void operator()(sd_bus* bus) const;
};
using SdBus = std::unique_ptr<sd_bus, SdBusClose>;

// A client connection to the bus at `address`, ready within `limit`; null otherwise, with
// `reach` saying why.
SdBus ConnectSystemBus(const std::string& address, std::chrono::milliseconds limit, BusReach& reach);

}  // namespace vr31k
