#pragma once
// The system's device tree as the card lookup needs it: serial functions of USB
// devices, USB host controllers on the PCI bus with what hangs on their root hub, the
// removal of a controller, and arrival and removal notices. Raw attributes only; the
// card logic decides what they mean.
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vr31k {

// USB identifiers as lower-case hex text, as the kernel shows them ("1d4c", "0a21").
struct UsbDeviceIds {
    std::string vendorId;
    std::string productId;
    std::string revision;     // bcdDevice
    std::string deviceClass;  // bDeviceClass ("02" communications, "00" per interface)
    int interfaceCount = 1;   // bNumInterfaces
    std::string serial;
};

// A tty provided by a USB device.
struct UsbSerialFunction {
    std::string node;             // the device node (/dev/ttyACM0); empty when there is none
    std::string sysPath;
    UsbDeviceIds device;
    std::string interfaceNumber;  // bInterfaceNumber, two hex digits ("00")
};

// A USB host controller on the PCI bus.
struct UsbHostController {
    std::string sysPath;
    std::string vendor, device, subsystemVendor, subsystemDevice, revision;  // "19e1", ...
    bool hasRootHub = false;
    std::optional<UsbDeviceIds> deviceOnRootHub;  // the first device on its root hub
    bool removable = false;                       // the bus says it can be taken out
};

class IDeviceTree {
public:
    virtual ~IDeviceTree() = default;
    // False when the device list cannot be obtained.
    virtual bool ListUsbSerialFunctions(std::vector<UsbSerialFunction>& out) = 0;
    virtual bool ListUsbHostControllers(std::vector<UsbHostController>& out) = 0;
    // Asks the system to take the device out; false when refused.
    virtual bool RequestRemoval(const std::string& sysPath) = 0;
};

// Arrival and removal of USB serial functions, as the system reports them.
struct DeviceNotice {
    bool arrived = false;  // false: removed
    UsbSerialFunction function;
};

class IDeviceMonitor {
public:
    virtual ~IDeviceMonitor() = default;
    // A descriptor that becomes readable when a notice is waiting (for the event loop).
    virtual int Fd() const = 0;
    // The next waiting notice about a USB tty, if any; never blocks.
    virtual std::optional<DeviceNotice> Next() = 0;
};

// Null when the system's notices cannot be received.
std::unique_ptr<IDeviceMonitor> MakeDeviceMonitor();

}  // namespace vr31k
