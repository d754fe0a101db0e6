#include "app/CardPort.h"

#include "card/CardDetection.h"
#include "platform/PortTrust.h"

#include <unistd.h>

namespace vr31k {

namespace {

class DeviceTreeLookup final : public ICardLookup {
public:
    bool FindCardPort(std::string& port, bool chipset) override {
        return vr31k::FindCardPort(port, false, false, chipset) == CARD_FOUND && !port.empty();
    }
    bool EjectCard(bool chipset) override { return vr31k::EjectCard(chipset) == 1; }
};

}  // namespace

ICardLookup& MachineCardLookup() {
    static DeviceTreeLookup lookup;
    return lookup;
}

CardPortChoice ResolveCardPort(const std::string& given, const SettingsStore& settings, bool chipset,
                               ICardLookup& lookup) {
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
    // An absent card leaves the port empty.
    if (!lookup.FindCardPort(choice.port, chipset)) choice.port.clear();
    return choice;
}

}  // namespace vr31k
