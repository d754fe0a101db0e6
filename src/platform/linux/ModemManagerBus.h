#pragma once
// Which of ModemManager's modems is the card, from what its modem objects say.
#include <string>
#include <vector>

namespace vr31k {

struct ModemObject {
    std::string device;              // the Device property: the physical device's uid
    std::vector<std::string> ports;  // the names of its Ports ("ttyACM0", "cdc-wdm0")
};

// The tty's name as ModemManager lists a port: the path below /dev ("/dev/ttyACM0" is
// "ttyACM0", "/dev/pts/3" is "pts/3").
std::string PortNameOf(const std::string& devicePath);

// The uid of the modem that owns the tty `portName`, or whose device is `usbDevice` (the
// sysfs path of the card's USB device; empty when unknown); empty when none is.
std::string CardModemUid(const std::vector<ModemObject>& modems, const std::string& portName,
                         const std::string& usbDevice);

}  // namespace vr31k
