#pragma once
// The machine's own implementations of the card's platform services, for the layers that
// compose the program (the start-up composition and the doctor); the core takes them as
// interfaces.
#include "platform/DeviceInhibit.h"
#include "platform/DeviceTree.h"
#include "platform/SerialPort.h"

#include <memory>

namespace vr31k {

// termios on the card's tty.
std::unique_ptr<ISerialPort> MakeSerialPort();
// ModemManager over the system bus; refusals go to stderr once each.
std::unique_ptr<IDeviceInhibit> MakeDeviceInhibit();
// udev.
std::unique_ptr<IDeviceTree> MakeDeviceTree();

}  // namespace vr31k
