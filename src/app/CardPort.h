#pragma once
// Which tty is the card, by the one rule both faces use: a port given for this run (the
// environment, --port) as it is; else PortName of the shared settings when this user
// may trust it; else the card as the device tree shows it (empty: no card).
#include "common/SettingsStore.h"

#include <string>

namespace vr31k {

struct CardPortChoice {
    std::string port;
    // PortName of the settings when it was not used, and why; empty when it was used or
    // there was none. The face says so in its own way.
    std::string distrusted;
    std::string reason;
};

CardPortChoice ResolveCardPort(const std::string& given, const SettingsStore& settings, bool chipset);

}  // namespace vr31k
