// What the window needs of the session: logind for sleep and log-out, the session bus,
// a tray host. Only what can be seen without asking the buses is judged.
#include "doctor/DoctorChecks.h"

#include "common/FileSystem.h"
#include "common/StringIds.h"
#include "common/StringTable.h"

namespace vr31k::doctor {

using namespace ids;

namespace {

bool IsSocket(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

void CheckSession(Context& c) {
    const std::string systemBus = c.in.roots.run + "/dbus/system_bus_socket";
    if (!IsSocket(systemBus)) {
        c.Add("logind", CheckStatus::Warning, FormatString(IDS_DOCTOR_NO_SYSTEM_BUS, {systemBus}));
    } else if (!FolderExists(c.in.roots.run + "/systemd/seats")) {
        c.Add("logind", CheckStatus::Warning, FormatString(IDS_DOCTOR_NO_LOGIND, {}));
    } else {
        c.Add("logind", CheckStatus::Ok, FormatString(IDS_DOCTOR_LOGIND_OK, {}));
    }

    const std::string prefix = "unix:path=";
    std::string socket;
    if (c.in.sessionBusAddress && c.in.sessionBusAddress->rfind(prefix, 0) == 0) {
        socket = c.in.sessionBusAddress->substr(prefix.size(), c.in.sessionBusAddress->find(',') - prefix.size());
    } else if (!c.in.sessionBusAddress && !c.in.runtimeDir.empty()) {
        socket = c.in.runtimeDir + "/bus";
    }
    if (c.in.sessionBusAddress && socket.empty()) {
        c.Add("session-bus", CheckStatus::Unknown, FormatString(IDS_DOCTOR_BUS_NOT_LOOKED, {*c.in.sessionBusAddress}));
    } else if (!socket.empty() && IsSocket(socket)) {
        c.Add("session-bus", CheckStatus::Ok, FormatString(IDS_DOCTOR_BUS_OK, {socket}));
    } else {
        c.Add("session-bus", CheckStatus::Warning,
              socket.empty() ? FormatString(IDS_DOCTOR_NO_BUS, {}) : FormatString(IDS_DOCTOR_NO_BUS_AT, {socket}));
    }

    if (!c.in.desktop) {
        c.Add("tray", CheckStatus::Warning, FormatString(IDS_DOCTOR_NO_DESKTOP, {}));
    } else if (c.in.trayHost) {
        c.Add("tray", *c.in.trayHost ? CheckStatus::Ok : CheckStatus::Warning,
              FormatString(*c.in.trayHost ? IDS_DOCTOR_TRAY_OK : IDS_DOCTOR_NO_TRAY, {}));
    } else {
        c.Add("tray", CheckStatus::Unknown, FormatString(IDS_DOCTOR_TRAY_UNKNOWN, {}));
    }
}

}  // namespace vr31k::doctor
