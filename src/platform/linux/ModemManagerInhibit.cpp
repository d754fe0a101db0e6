// ModemManager's device inhibition over the system bus (sd-bus). An inhibition lasts
// while the connection that asked for it is open: ModemManager drops it by itself when
// that connection goes, so a crash never leaves the card inhibited.
#include "platform/DeviceInhibit.h"
#include "platform/linux/ModemManagerBus.h"
#include "platform/linux/SdBus.h"
#include "platform/linux/SdBusCall.h"
#include "common/TerminalText.h"
#include "platform/linux/Machine.h"

#include <libudev.h>
#include <sys/stat.h>
#include <systemd/sd-bus.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string_view>

namespace vr31k {
namespace {

// After a bus that did not answer, the port is opened without asking for this long: the
// window opens it again and again, and would wait the whole bound each time.
constexpr std::chrono::minutes kSilentBusRest{5};
constexpr const char* kService = "org.freedesktop.ModemManager1";
constexpr const char* kManagerPath = "/org/freedesktop/ModemManager1";
constexpr const char* kModemInterface = "org.freedesktop.ModemManager1.Modem";
// The authorization ModemManager checks before InhibitDevice.
constexpr const char* kControlAction = "org.freedesktop.ModemManager1.Control";

constexpr const char* kSilentBus = "the system bus did not answer within 2 s";

using Message = SdBusMessage;
using BusError = SdBusError;

template <class Append>
int Call(sd_bus* bus, const char* service, const char* path, const char* interface, const char* member,
         Append append, BusError& error, Message& reply) {
    return CallMethod(bus, service, path, interface, member, append, error, reply, kSystemBusAnswerTime);
}

// One modem's Modem interface properties: a{sv}.
int ReadModem(sd_bus_message* m, ModemObject& modem) {
    int r = sd_bus_message_enter_container(m, 'a', "{sv}");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char* name = nullptr;
        if ((r = sd_bus_message_read(m, "s", &name)) < 0) break;
        if (std::strcmp(name, "Device") == 0) {
            const char* device = nullptr;
            if ((r = sd_bus_message_read(m, "v", "s", &device)) < 0) break;
            modem.device = device;
        } else if (std::strcmp(name, "Ports") == 0) {
            if ((r = sd_bus_message_enter_container(m, 'v', "a(su)")) < 0 ||
                (r = sd_bus_message_enter_container(m, 'a', "(su)")) < 0) {
                break;
            }
            const char* port = nullptr;
            uint32_t type = 0;
            while ((r = sd_bus_message_read(m, "(su)", &port, &type)) > 0) modem.ports.emplace_back(port);
            if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0 || (r = sd_bus_message_exit_container(m)) < 0) break;
        } else if ((r = sd_bus_message_skip(m, "v")) < 0) {
            break;
        }
        r = sd_bus_message_exit_container(m);
    }
    return r < 0 ? r : sd_bus_message_exit_container(m);
}

// GetManagedObjects' a{oa{sa{sv}}}: the objects that carry the Modem interface.
int ReadModems(sd_bus_message* m, std::vector<ModemObject>& modems) {
    int r = sd_bus_message_enter_container(m, 'a', "{oa{sa{sv}}}");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'e', "oa{sa{sv}}")) > 0) {
        const char* path = nullptr;
        if ((r = sd_bus_message_read(m, "o", &path)) < 0 ||
            (r = sd_bus_message_enter_container(m, 'a', "{sa{sv}}")) < 0) {
            break;
        }
        while ((r = sd_bus_message_enter_container(m, 'e', "sa{sv}")) > 0) {
            const char* interface = nullptr;
            if ((r = sd_bus_message_read(m, "s", &interface)) < 0) break;
            if (std::strcmp(interface, kModemInterface) == 0) {
                r = ReadModem(m, modems.emplace_back());
            } else {
                r = sd_bus_message_skip(m, "a{sv}");
            }
            if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0) break;
        }
        if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0 || (r = sd_bus_message_exit_container(m)) < 0) break;
    }
    return r < 0 ? r : sd_bus_message_exit_container(m);
}

// The sysfs path of the USB device the tty belongs to; empty when it is none's.
std::string UsbDeviceOf(const std::string& devicePath) {
    struct stat st {};
    if (stat(devicePath.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return {};
    udev* context = udev_new();
    if (context == nullptr) return {};
    std::string path;
    if (udev_device* tty = udev_device_new_from_devnum(context, 'c', st.st_rdev)) {
        if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device")) {
            path = udev_device_get_syspath(usb);
        }
        udev_device_unref(tty);
    }
    udev_unref(context);
    return path;
}

// ModemManager's modem for the tty, looked up over `bus`: its uid, or why there is none.
InhibitOutcome FindModem(sd_bus* bus, const std::string& devicePath) {
    InhibitOutcome found;
    BusError error;
    Message reply;
    const int r = Call(bus, kService, kManagerPath, "org.freedesktop.DBus.ObjectManager", "GetManagedObjects",
                       NoArguments, error, reply);
    if (r < 0) {
        const bool unreachable = BusGone(r);
        found.state = error.NoOwner() ? InhibitState::NoModemManager
                      : unreachable   ? InhibitState::NoBus
                                      : InhibitState::Refused;
        found.reason = error.Text(r);
        return found;
    }
    std::vector<ModemObject> modems;
    if (const int read = ReadModems(reply.get(), modems); read < 0) {
        found.state = InhibitState::Refused;
        found.reason = "ModemManager's modem list could not be read: " + std::string(std::strerror(-read));
        return found;
    }
    // Found: the state stays NotAsked until the device is asked for.
    found.uid = CardModemUid(modems, PortNameOf(devicePath), UsbDeviceOf(devicePath));
    if (found.uid.empty()) found.state = InhibitState::NotItsModem;
    return found;
}

int InhibitDevice(sd_bus* bus, const std::string& uid, bool inhibit, std::string& reason) {
    BusError error;
    Message reply;
    const int r = Call(
        bus, kService, kManagerPath, kService, "InhibitDevice",
        [&](sd_bus_message* m) { return sd_bus_message_append(m, "sb", uid.c_str(), inhibit ? 1 : 0); }, error,
        reply);
    if (r < 0) reason = error.Text(r);
    return r;
}

class ModemManagerInhibit final : public IDeviceInhibit {
public:
    ~ModemManagerInhibit() override { Release(); }

    InhibitOutcome Hold(const std::string& devicePath) override {
        if (m_bus && devicePath == m_path) return m_last;
        Release();
        m_path = devicePath;
        if (m_silentAt && std::chrono::steady_clock::now() - *m_silentAt < kSilentBusRest) return m_last;
        BusReach reach = BusReach::Unreachable;
        SdBus bus = ConnectSystemBus(SystemBusAddress(), kSystemBusAnswerTime, reach);
        m_silentAt.reset();
        if (reach == BusReach::Silent) {
            m_silentAt = std::chrono::steady_clock::now();
            m_last = {InhibitState::NoBus, {}, kSilentBus};
            Tell("ModemManager is not asked to let go of " + m_path + ": " + kSilentBus);
            return m_last;
        }
        if (!bus) {
            m_last = {InhibitState::NoBus, {}, "no system bus"};
            return m_last;
        }
        m_last = FindModem(bus.get(), devicePath);
        if (m_last.state == InhibitState::NotAsked) {
            if (InhibitDevice(bus.get(), m_last.uid, true, m_last.reason) >= 0) {
                m_last.state = InhibitState::Inhibited;
                m_bus = std::move(bus);  // the inhibition lives as long as this connection
            } else {
                m_last.state = InhibitState::Refused;
            }
        }
        if (m_last.state == InhibitState::Refused) {
            Tell("ModemManager did not let go of " + m_path + (m_last.uid.empty() ? "" : " (" + m_last.uid + ")") +
                 ": " + m_last.reason);
        }
        return m_last;
    }

    void Release() override {
        if (!m_bus) return;
        // A failure here changes nothing: closing the connection ends the inhibition too.
        std::string ignored;
        InhibitDevice(m_bus.get(), m_last.uid, false, ignored);
        m_bus.reset();
    }

    const InhibitOutcome& Last() const override { return m_last; }

private:
    // Once per reason: the port is opened again and again while the window runs.
    void Tell(const std::string& line) {
        if (m_told.insert(line).second) std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line.c_str());
    }

    SdBus m_bus;
    std::string m_path;
    InhibitOutcome m_last;
    std::set<std::string> m_told;
    std::optional<std::chrono::steady_clock::time_point> m_silentAt;  // when the bus last did not answer
};

InhibitPermission AskPolkit(sd_bus* bus, std::string& reason) {
    const char* self = nullptr;
    if (sd_bus_get_unique_name(bus, &self) < 0) return InhibitPermission::Unknown;
    BusError error;
    Message reply;
    const int r = Call(
        bus, "org.freedesktop.PolicyKit1", "/org/freedesktop/PolicyKit1/Authority",
        "org.freedesktop.PolicyKit1.Authority", "CheckAuthorization",
        [&](sd_bus_message* m) {
            return sd_bus_message_append(m, "(sa{sv})sa{ss}us", "system-bus-name", 1, "name", "s", self,
                                         kControlAction, 0, 0u, "");
        },
        error, reply);
    int allowed = 0, challenge = 0;
    if (r < 0 || sd_bus_message_enter_container(reply.get(), 'r', "bba{ss}") < 0 ||
        sd_bus_message_read(reply.get(), "bb", &allowed, &challenge) < 0) {
        if (r < 0 && !error.NoOwner()) reason = error.Text(r);
        return InhibitPermission::Unknown;
    }
    return allowed ? InhibitPermission::Allowed
           : challenge ? InhibitPermission::NeedsPassword
                       : InhibitPermission::Refused;
}

}  // namespace

std::string PortNameOf(const std::string& devicePath) {
    const std::string dev = "/dev/";
    return devicePath.rfind(dev, 0) == 0 ? devicePath.substr(dev.size()) : devicePath;
}

std::string CardModemUid(const std::vector<ModemObject>& modems, const std::string& portName,
                         const std::string& usbDevice) {
    for (const ModemObject& modem : modems) {
        if (modem.device.empty()) continue;
        if (!usbDevice.empty() && modem.device == usbDevice) return modem.device;
        for (const std::string& port : modem.ports) {
            if (port == portName) return modem.device;
        }
    }
    return {};
}

std::unique_ptr<IDeviceInhibit> MakeDeviceInhibit() { return std::make_unique<ModemManagerInhibit>(); }

ModemManagerView LookAtModemManager(const std::string& devicePath) {
    ModemManagerView view;
    BusReach reach = BusReach::Unreachable;
    const SdBus bus = ConnectSystemBus(SystemBusAddress(), kSystemBusAnswerTime, reach);
    if (reach == BusReach::Silent) view.reason = kSilentBus;
    if (!bus) return view;
    const InhibitOutcome modem = FindModem(bus.get(), devicePath);
    view.onBus = modem.state != InhibitState::NoBus && modem.state != InhibitState::NoModemManager;
    if (modem.state == InhibitState::Refused) view.reason = modem.reason;
    if (modem.uid.empty()) return view;
    view.uid = modem.uid;
    view.permission = AskPolkit(bus.get(), view.reason);
    return view;
}

}  // namespace vr31k
