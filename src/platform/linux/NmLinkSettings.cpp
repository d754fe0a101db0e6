// NetworkManager and a link pppd brought up outside it: NetworkManager shows such an
// interface as an external device running an in-memory connection it generated. Its
// documented way to change that device's metered state is the connection's
// connection.metered, which takes effect at once on the active device (Update2); the
// servers go into the connection's ipv4.dns and take effect with Device.Reapply, asked
// to keep the addresses pppd gave the interface. Changes are made in memory only: nothing
// of the link's is ever written to NetworkManager's profiles on disk.
#include "platform/linux/DesktopBus.h"
#include "platform/linux/DesktopLinkParts.h"

#include <thread>

namespace vr31k {

namespace {

using namespace std::chrono_literals;

constexpr const char* kActiveInterface = "org.freedesktop.NetworkManager.Connection.Active";
constexpr const char* kSettingsConnection = "org.freedesktop.NetworkManager.Settings.Connection";
// NMSettingsConnectionFlags.
constexpr uint32_t kFlagGenerated = 0x2, kFlagVolatile = 0x4, kFlagExternal = 0x8;
// Update2's flags: in memory; volatile keeps a generated connection going with its device.
constexpr uint32_t kUpdateInMemory = 0x2, kUpdateVolatile = 0x10;
// Reapply's "preserve-external-ip": the addresses and routes pppd set stay.
constexpr uint32_t kReapplyPreserveExternalIp = 0x1;
constexpr auto kDevicePoll = 100ms;

int GetText(sd_bus* bus, const std::string& path, const char* interface, const char* name, char type, std::string& out,
            SdBusError& error, std::chrono::milliseconds limit) {
    SdBusMessage reply;
    const char text[] = {type, '\0'};
    const char* value = nullptr;
    int r = GetProperty(bus, kNmService, path.c_str(), interface, name, text, error, reply, limit);
    if (r >= 0 && (r = sd_bus_message_read_basic(reply.get(), type, &value)) >= 0) out = value;
    return r;
}

// The settings connection on the interface's device once NetworkManager has taken the
// interface up (it does so shortly after it appears): 1, 0 when none came within
// `wait`, or a failed call's negative errno.
int FindConnection(sd_bus* bus, const std::string& interface, NmLinkHold& hold, SdBusError& error,
                   std::chrono::milliseconds limit, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        int r = FindNmDevice(bus, interface, hold.device, error, limit);
        std::string active = "/";
        if (r > 0) r = GetText(bus, hold.device, kNmDeviceInterface, "ActiveConnection", 'o', active, error, limit);
        if (r < 0) return r;
        if (active != "/") {
            r = GetText(bus, active, kActiveInterface, "Connection", 'o', hold.connection, error, limit);
            return r < 0 ? r : 1;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= 0s) return 0;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kDevicePoll, left));
    }
}

struct SettingsRead {
    std::string uuid;
    NmLinkValues values;
};

int ReadAddresses(sd_bus_message* m, std::vector<uint32_t>& addresses) {
    const void* data = nullptr;
    std::size_t size = 0;
    int r = sd_bus_message_enter_container(m, 'v', "au");
    if (r >= 0 && (r = sd_bus_message_read_array(m, 'u', &data, &size)) >= 0) {
        const auto* words = static_cast<const uint32_t*>(data);
        addresses.assign(words, words + size / sizeof(uint32_t));
        r = sd_bus_message_exit_container(m);
    }
    return r;
}

// GetSettings' a{sa{sv}}: the connection's uuid and the values this step changes.
int ReadSettings(sd_bus_message* m, SettingsRead& out) {
    int r = sd_bus_message_enter_container(m, 'a', "{sa{sv}}");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'e', "sa{sv}")) > 0) {
        const char* setting = nullptr;
        if ((r = sd_bus_message_read(m, "s", &setting)) < 0 || (r = sd_bus_message_enter_container(m, 'a', "{sv}")) < 0)
            break;
        const std::string name = setting;
        while ((r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
            const char* key = nullptr;
            if ((r = sd_bus_message_read(m, "s", &key)) < 0) break;
            const std::string k = key;
            if (name == "connection" && k == "uuid") {
                const char* uuid = nullptr;
                if ((r = sd_bus_message_read(m, "v", "s", &uuid)) >= 0) out.uuid = uuid;
            } else if (name == "connection" && k == "metered") {
                int32_t metered = 0;
                if ((r = sd_bus_message_read(m, "v", "i", &metered)) >= 0) out.values.metered = metered;
            } else if (name == "ipv4" && k == "dns") {
                r = ReadAddresses(m, out.values.dns.emplace());
            } else {
                r = sd_bus_message_skip(m, "v");
            }
            if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0) break;
        }
        if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0 || (r = sd_bus_message_exit_container(m)) < 0) break;
    }
    return r < 0 ? r : sd_bus_message_exit_container(m);
}

// The entries of `values` that belong to `setting`.
int AppendValues(sd_bus_message* m, const std::string& setting, const NmLinkValues& values) {
    int r = 0;
    if (setting == "connection" && values.metered) {
        r = sd_bus_message_append(m, "{sv}", "metered", "i", *values.metered);
    } else if (setting == "ipv4" && values.dns) {
        if ((r = sd_bus_message_open_container(m, 'e', "sv")) >= 0 && (r = sd_bus_message_append(m, "s", "dns")) >= 0 &&
            (r = sd_bus_message_open_container(m, 'v', "au")) >= 0 &&
            (r = sd_bus_message_append_array(m, 'u', values.dns->data(), values.dns->size() * sizeof(uint32_t))) >= 0 &&
            (r = sd_bus_message_close_container(m)) >= 0) {
            r = sd_bus_message_close_container(m);
        }
    }
    return r;
}

bool Replaced(const std::string& setting, const std::string& key, const NmLinkValues& values) {
    return (setting == "connection" && key == "metered" && values.metered) ||
           (setting == "ipv4" && key == "dns" && values.dns);
}

// The connection's settings as `source` (GetSettings' reply, rewound) holds them, with
// `values` put over their own: Update2 replaces all of a connection's settings.
int AppendSettings(sd_bus_message* m, sd_bus_message* source, const NmLinkValues& values) {
    bool hadIpv4 = false;
    int r = sd_bus_message_open_container(m, 'a', "{sa{sv}}");
    if (r >= 0) r = sd_bus_message_enter_container(source, 'a', "{sa{sv}}");
    while (r >= 0 && (r = sd_bus_message_enter_container(source, 'e', "sa{sv}")) > 0) {
        const char* name = nullptr;
        if ((r = sd_bus_message_read(source, "s", &name)) < 0 ||
            (r = sd_bus_message_enter_container(source, 'a', "{sv}")) < 0 ||
            (r = sd_bus_message_open_container(m, 'e', "sa{sv}")) < 0 ||
            (r = sd_bus_message_append(m, "s", name)) < 0 || (r = sd_bus_message_open_container(m, 'a', "{sv}")) < 0) {
            break;
        }
        const std::string setting = name;
        hadIpv4 = hadIpv4 || setting == "ipv4";
        while ((r = sd_bus_message_enter_container(source, 'e', "sv")) > 0) {
            const char* key = nullptr;
            if ((r = sd_bus_message_read(source, "s", &key)) < 0) break;
            if (Replaced(setting, key, values)) {
                r = sd_bus_message_skip(source, "v");
            } else if ((r = sd_bus_message_open_container(m, 'e', "sv")) >= 0 &&
                       (r = sd_bus_message_append(m, "s", key)) >= 0 &&
                       (r = sd_bus_message_copy(m, source, false)) >= 0) {
                r = sd_bus_message_close_container(m);
            }
            if (r < 0 || (r = sd_bus_message_exit_container(source)) < 0) break;
        }
        if (r < 0 || (r = AppendValues(m, setting, values)) < 0 || (r = sd_bus_message_close_container(m)) < 0 ||
            (r = sd_bus_message_close_container(m)) < 0 || (r = sd_bus_message_exit_container(source)) < 0 ||
            (r = sd_bus_message_exit_container(source)) < 0) {
            break;
        }
    }
    if (r >= 0 && !hadIpv4 && values.dns && (r = sd_bus_message_open_container(m, 'e', "sa{sv}")) >= 0 &&
        (r = sd_bus_message_append(m, "s", "ipv4")) >= 0 && (r = sd_bus_message_open_container(m, 'a', "{sv}")) >= 0 &&
        (r = AppendValues(m, "ipv4", values)) >= 0 && (r = sd_bus_message_close_container(m)) >= 0) {
        r = sd_bus_message_close_container(m);
    }
    return r < 0 ? r : sd_bus_message_close_container(m);
}

DesktopResult Outcome(const SdBusError& error, int r, std::string& why) {
    why = error.Text(r);
    const bool refused = error.Has("org.freedesktop.NetworkManager.PermissionDenied") ||
                         error.Has(SD_BUS_ERROR_ACCESS_DENIED) || error.Has(SD_BUS_ERROR_AUTH_FAILED) ||
                         error.Has(SD_BUS_ERROR_INTERACTIVE_AUTHORIZATION_REQUIRED);
    return refused ? DesktopResult::Refused : DesktopResult::Failed;
}

// The connection's settings with `values` over them, then (for servers) the device's
// Reapply. `settings` is GetSettings' reply.
DesktopResult Update(sd_bus* bus, const NmLinkHold& hold, sd_bus_message* settings, const NmLinkValues& values,
                     std::string& why, std::chrono::milliseconds limit) {
    SdBusError error;
    SdBusMessage reply;
    int r = sd_bus_message_rewind(settings, true);
    if (r >= 0) {
        r = CallMethod(
            bus, kNmService, hold.connection.c_str(), kSettingsConnection, "Update2",
            [&](sd_bus_message* m) {
                const int appended = AppendSettings(m, settings, values);
                return appended < 0 ? appended : sd_bus_message_append(m, "ua{sv}", hold.updateFlags, 0);
            },
            error, reply, limit);
    }
    if (r >= 0 && values.dns && !hold.device.empty()) {
        r = CallMethod(
            bus, kNmService, hold.device.c_str(), kNmDeviceInterface, "Reapply",
            [&](sd_bus_message* m) {
                return sd_bus_message_append(m, "a{sa{sv}}tu", 0, uint64_t{0}, kReapplyPreserveExternalIp);
            },
            error, reply, limit);
    }
    return r < 0 ? Outcome(error, r, why) : DesktopResult::Done;
}

int GetSettings(sd_bus* bus, const std::string& connection, SdBusMessage& settings, SettingsRead& read,
                SdBusError& error, std::chrono::milliseconds limit) {
    const int r = CallMethod(bus, kNmService, connection.c_str(), kSettingsConnection, "GetSettings", NoArguments,
                             error, settings, limit);
    return r < 0 ? r : ReadSettings(settings.get(), read);
}

}  // namespace

DesktopResult NmApply(sd_bus* bus, const std::string& interface, const NmLinkValues& wanted, NmLinkHold& hold,
                      std::string& why, std::chrono::milliseconds limit, std::chrono::milliseconds deviceWait) {
    SdBusError error;
    int r = FindConnection(bus, interface, hold, error, limit, deviceWait);
    if (r == 0) {
        why = "NetworkManager shows no connection on " + interface;
        return DesktopResult::Nothing;
    }
    uint32_t flags = 0;
    SdBusMessage flagsReply;
    if (r > 0 && (r = GetProperty(bus, kNmService, hold.connection.c_str(), kSettingsConnection, "Flags", "u", error,
                                  flagsReply, limit)) >= 0) {
        r = sd_bus_message_read(flagsReply.get(), "u", &flags);
    }
    if (r < 0) return Outcome(error, r, why);
    if ((flags & (kFlagExternal | kFlagGenerated)) == 0) {
        why = "a connection profile of the user's own runs on " + interface + ": its settings stand";
        return DesktopResult::Nothing;
    }
    hold.updateFlags = kUpdateInMemory | ((flags & kFlagVolatile) != 0 ? kUpdateVolatile : 0);
    SdBusMessage settings;
    SettingsRead read;
    if ((r = GetSettings(bus, hold.connection, settings, read, error, limit)) < 0) return Outcome(error, r, why);
    hold.uuid = read.uuid;
    // Only what differs is changed, and only that is put back.
    NmLinkValues change;
    if (wanted.metered && read.values.metered.value_or(0) != *wanted.metered) {
        change.metered = wanted.metered;
        hold.before.metered = read.values.metered.value_or(0);
    }
    if (wanted.dns && read.values.dns.value_or(std::vector<uint32_t>{}) != *wanted.dns) {
        change.dns = wanted.dns;
        hold.before.dns = read.values.dns.value_or(std::vector<uint32_t>{});
    }
    if (!change.metered && !change.dns) return DesktopResult::Done;
    return Update(bus, hold, settings.get(), change, why, limit);
}

DesktopResult NmRestore(sd_bus* bus, const NmLinkHold& hold, std::string& why, std::chrono::milliseconds limit) {
    if (!hold.before.metered && !hold.before.dns) return DesktopResult::Done;
    SdBusError error;
    SdBusMessage settings;
    SettingsRead read;
    const int r = GetSettings(bus, hold.connection, settings, read, error, limit);
    // Gone with its device, or another connection since: nothing of ours is left.
    if ((r < 0 && (error.Has(SD_BUS_ERROR_UNKNOWN_OBJECT) || error.Has(SD_BUS_ERROR_UNKNOWN_METHOD))) ||
        (r >= 0 && read.uuid != hold.uuid)) {
        return DesktopResult::Done;
    }
    if (r < 0) return Outcome(error, r, why);
    return Update(bus, hold, settings.get(), hold.before, why, limit);
}

}  // namespace vr31k
