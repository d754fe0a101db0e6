#include "app/CardPort.h"

#include "card/CardDetection.h"
#include "platform/PortTrust.h"

#include <unistd.h>

namespace vr31k {

CardPortChoice ResolveCardPort(const std::string& given, const SettingsStore& settings, bool chipset) {
    CardPortChoice choice;
    if (!given.empty()) {
        choice.port = given;
        return choice;
    }
    if (const std::string named = settings.ReadPortName(); !named.empty()) {
        const PortTrust trust = CheckPortName(named, getuid());
        if (trust.Trusted()) {
            choice.port = trust.device;
            return choice;
        }
        choice.distrusted = named;
        choice.reason = trust.reason;
    }
    FindCardPort(choice.port, false, false, chipset);
    return choice;
}

}  // namespace vr31k
