// libudev backend of the device tree: ttys with their USB ancestors, PCI USB host
// controllers with their root hubs, removal through sysfs, and the udev monitor.
#include "platform/DeviceTree.h"

#include "platform/linux/Machine.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <libudev.h>

namespace vr31k {
namespace {

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
};
template <class T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

std::string Attr(udev_device* device, const char* name) {
    const char* value = udev_device_get_sysattr_value(device, name);
    if (value == nullptr) return {};
    std::string text(value);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    size_t start = 0;
    while (start < text.size() && text[start] == ' ') ++start;
    return text.substr(start);
}

std::string Property(udev_device* device, const char* name) {
    const char* value = udev_device_get_property_value(device, name);
    return value != nullptr ? value : std::string();
}

// PCI attributes read "0x19e1": the hex digits only, lower case.
std::string PciHex(udev_device* device, const char* name) {
    std::string text = Attr(device, name);
    if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0) text.erase(0, 2);
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

UsbDeviceIds ReadUsbDevice(udev_device* usb) {
    UsbDeviceIds ids;
    ids.vendorId = Attr(usb, "idVendor");
    ids.productId = Attr(usb, "idProduct");
    ids.revision = Attr(usb, "bcdDevice");
    ids.deviceClass = Attr(usb, "bDeviceClass");
    ids.interfaceCount = std::max(1, std::atoi(Attr(usb, "bNumInterfaces").c_str()));
    ids.serial = Attr(usb, "serial");
    return ids;
}

// A tty's USB function from its ancestors, or from the event's properties when the
// device is already gone (a removal).
bool DescribeTty(udev_device* tty, UsbSerialFunction& out) {
    udev_device* interface = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_interface");
    udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device");
    const char* node = udev_device_get_devnode(tty);
    out.node = node != nullptr ? node : "";
    out.sysPath = udev_device_get_syspath(tty);
    if (usb != nullptr && interface != nullptr) {
        out.device = ReadUsbDevice(usb);
        out.interfaceNumber = Attr(interface, "bInterfaceNumber");
        return !out.device.vendorId.empty();
    }
    out.device.vendorId = Property(tty, "ID_VENDOR_ID");
    out.device.productId = Property(tty, "ID_MODEL_ID");
    out.device.revision = Property(tty, "ID_REVISION");
    out.device.serial = Property(tty, "ID_SERIAL_SHORT");
    out.interfaceNumber = Property(tty, "ID_USB_INTERFACE_NUM");
    // Which form the device has is not in the notice: an interface number other than
    // "00", or any with a composite driver, counts as composite.
    out.device.interfaceCount = out.interfaceNumber.empty() ? 1 : 2;
    return !out.device.vendorId.empty();
}

std::vector<std::string> Enumerate(udev* u, const char* subsystem) {
    std::vector<std::string> paths;
    UdevPtr<udev_enumerate> e(udev_enumerate_new(u));
    if (!e || udev_enumerate_add_match_subsystem(e.get(), subsystem) < 0 || udev_enumerate_scan_devices(e.get()) < 0) {
        return paths;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e.get())) paths.emplace_back(udev_list_entry_get_name(entry));
    return paths;
}

class UdevDeviceTree final : public IDeviceTree {
public:
    UdevDeviceTree() : m_udev(udev_new()) {}

    bool ListUsbSerialFunctions(std::vector<UsbSerialFunction>& out) override {
        out.clear();
        if (!m_udev) return false;
        for (const std::string& path : Enumerate(m_udev.get(), "tty")) {
            UdevPtr<udev_device> tty(udev_device_new_from_syspath(m_udev.get(), path.c_str()));
            if (!tty) continue;
            if (udev_device_get_parent_with_subsystem_devtype(tty.get(), "usb", "usb_device") == nullptr) continue;
            UsbSerialFunction function;
            if (DescribeTty(tty.get(), function)) out.push_back(std::move(function));
        }
        return true;
    }

    bool ListUsbHostControllers(std::vector<UsbHostController>& out) override {
        out.clear();
        if (!m_udev) return false;
        const std::vector<std::string> usbDevices = Enumerate(m_udev.get(), "usb");
        for (const std::string& path : Enumerate(m_udev.get(), "pci")) {
            UdevPtr<udev_device> pci(udev_device_new_from_syspath(m_udev.get(), path.c_str()));
            if (!pci) continue;
            UsbHostController controller;
            controller.sysPath = path;
            controller.vendor = PciHex(pci.get(), "vendor");
            controller.device = PciHex(pci.get(), "device");
            controller.subsystemVendor = PciHex(pci.get(), "subsystem_vendor");
            controller.subsystemDevice = PciHex(pci.get(), "subsystem_device");
            controller.revision = PciHex(pci.get(), "revision");
            controller.removable = Attr(pci.get(), "removable") == "removable";
            const std::string hub = FirstUsbChild(usbDevices, path);
            controller.hasRootHub = !hub.empty();
            if (!hub.empty()) {
                const std::string onHub = FirstUsbChild(usbDevices, hub);
                if (!onHub.empty()) {
                    UdevPtr<udev_device> device(udev_device_new_from_syspath(m_udev.get(), onHub.c_str()));
                    if (device) controller.deviceOnRootHub = ReadUsbDevice(device.get());
                }
            }
            out.push_back(std::move(controller));
        }
        return true;
    }

    bool RequestRemoval(const std::string& sysPath) override {
        if (!m_udev) return false;
        UdevPtr<udev_device> device(udev_device_new_from_syspath(m_udev.get(), sysPath.c_str()));
        if (!device) return false;
        char one[] = "1";
        return udev_device_set_sysattr_value(device.get(), "remove", one) >= 0;
    }

private:
    // The first USB device (in path order) whose parent is `parentPath`.
    std::string FirstUsbChild(const std::vector<std::string>& usbDevices, const std::string& parentPath) {
        std::vector<std::string> children;
        for (const std::string& path : usbDevices) {
            UdevPtr<udev_device> device(udev_device_new_from_syspath(m_udev.get(), path.c_str()));
            if (!device) continue;
            const char* type = udev_device_get_devtype(device.get());
            if (type == nullptr || std::string(type) != "usb_device") continue;
            udev_device* parent = udev_device_get_parent(device.get());
            if (parent != nullptr && parentPath == udev_device_get_syspath(parent)) children.push_back(path);
        }
        std::sort(children.begin(), children.end());
        return children.empty() ? std::string() : children.front();
    }

    UdevPtr<udev> m_udev;
};

class UdevDeviceMonitor final : public IDeviceMonitor {
public:
    bool Start() {
        m_udev.reset(udev_new());
        if (!m_udev) return false;
        m_monitor.reset(udev_monitor_new_from_netlink(m_udev.get(), "udev"));
        if (!m_monitor) return false;
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor.get(), "tty", nullptr);
        return udev_monitor_enable_receiving(m_monitor.get()) >= 0;
    }

    int Fd() const override { return udev_monitor_get_fd(m_monitor.get()); }

    std::optional<DeviceNotice> Next() override {
        for (;;) {
            UdevPtr<udev_device> device(udev_monitor_receive_device(m_monitor.get()));
            if (!device) return std::nullopt;
            const char* action = udev_device_get_action(device.get());
            if (action == nullptr) continue;
            const std::string what(action);
            if (what != "add" && what != "remove") continue;
            DeviceNotice notice;
            notice.arrived = what == "add";
            if (DescribeTty(device.get(), notice.function)) return notice;
        }
    }

private:
    UdevPtr<udev> m_udev;
    UdevPtr<udev_monitor> m_monitor;
};

}  // namespace

std::unique_ptr<IDeviceTree> MakeDeviceTree() { return std::make_unique<UdevDeviceTree>(); }

std::unique_ptr<IDeviceMonitor> MakeDeviceMonitor() {
    auto monitor = std::make_unique<UdevDeviceMonitor>();
    if (!monitor->Start()) return nullptr;
    return monitor;
}

}  // namespace vr31k
