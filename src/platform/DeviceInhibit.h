#pragma once
// Keeping the system's modem manager off the card while this program uses its port.
// The card's udev rule normally tells ModemManager to ignore the card; where it did not
// reach the device (the card came before the rule, or the rule is missing), the modem
// manager is asked to let go of the device before the port is opened and to take it
// back after the port is closed. Nothing here ever stops the port from opening: a
// refusal, a missing bus or a modem manager that is not there is only reported.
#include <memory>
#include <string>

namespace vr31k {

enum class InhibitState {
    NotAsked,        // nothing was held yet
    NoBus,           // no system bus to ask on, or it did not answer the connection in time
    NoModemManager,  // the bus has no ModemManager
    NotItsModem,     // ModemManager has no modem on this device
    Inhibited,       // ModemManager lets go of the device until Release
    Refused,         // ModemManager has the device and refused (or did not answer in time)
};

struct InhibitOutcome {
    InhibitState state = InhibitState::NotAsked;
    std::string uid;     // ModemManager's uid of the device, when it has it as a modem
    std::string reason;  // why the bus or ModemManager said no
};

class IDeviceInhibit {
public:
    virtual ~IDeviceInhibit() = default;
    // Before opening the tty `devicePath` (/dev/ttyACM0): has the device left alone
    // until Release. Holding the same path again asks nothing new. The connection and
    // each bus call are bounded by a short time-out; after a bus that did not answer,
    // the next holds for a while ask nothing.
    virtual InhibitOutcome Hold(const std::string& devicePath) = 0;
    // After closing the tty: gives the device back. Nothing when nothing is held.
    virtual void Release() = 0;
    // What the last Hold came to.
    virtual const InhibitOutcome& Last() const = 0;
};

// What the doctor says about ModemManager and the card's tty, asked without holding
// anything: whether it is on the bus, whether it has the card as a modem, and whether
// polkit lets this process ask it to let go.
enum class InhibitPermission { Unknown, Allowed, NeedsPassword, Refused };
struct ModemManagerView {
    bool onBus = false;
    std::string uid;  // empty: the card is not its modem
    InhibitPermission permission = InhibitPermission::Unknown;
    std::string reason;  // a bus error, when there was one
};
ModemManagerView LookAtModemManager(const std::string& devicePath);

}  // namespace vr31k
