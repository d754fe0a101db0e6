#pragma once
// Which tty is the card, by the one rule both faces use: a port given for this run (the
// environment, --port) as it is; else PortName of the shared settings when this user
// may trust it; else the card as the card lookup shows it (empty: no card).
#include "card/CWKvCtrl.h"
#include "common/SettingsStore.h"
#include "platform/DeviceTree.h"

#include <memory>

#include <string>

namespace vr31k {

// The card as the system shows it: looked up at the start and again when a card
// arrives, and released before it is pulled out. The services hold one (the machine's
// device tree unless a test puts its own in).
class ICardLookup {
public:
    virtual ~ICardLookup() = default;
    // The card's port now (false: no card).
    virtual bool FindCardPort(std::string& port, bool chipset) = 0;
    // Asks the system to release the card; true when it may be pulled out.
    virtual bool EjectCard(bool chipset) = 0;
};

// The machine's device tree (udev).
ICardLookup& MachineCardLookup();

// The card controller over the machine's tty and ModemManager's inhibition, for every
// face (the core takes them as interfaces).
CWKvCtrl MachineCard(CardTimings timings = DefaultCardTimings());
// The machine's device tree, for a face that reads it itself (vr31kctl card port).
std::unique_ptr<IDeviceTree> MachineDeviceTree();

struct CardPortChoice {
    std::string port;
    // PortName of the settings when it was not used, and why; empty when it was used or
    // there was none. The face says so in its own way.
    std::string distrusted;
    std::string reason;
};

CardPortChoice ResolveCardPort(const std::string& given, const SettingsStore& settings, bool chipset,
                               ICardLookup& lookup = MachineCardLookup());

}  // namespace vr31k
