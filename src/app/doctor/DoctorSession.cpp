// What the window needs of the session: logind for sleep and log-out, the session bus,
// a tray host. Only what can be seen without asking the buses is judged.
#include "app/doctor/DoctorChecks.h"

#include "common/FileSystem.h"

namespace vr31k::doctor {

namespace {

bool IsSocket(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

void CheckSession(Context& c) {
    const std::string systemBus = c.in.roots.run + "/dbus/system_bus_socket";
    if (!IsSocket(systemBus)) {
        c.Add("logind", CheckStatus::Warning,
              "there is no system bus (" + systemBus + "): the utility runs without sleep and log-out handling");
    } else if (!FolderExists(c.in.roots.run + "/systemd/seats")) {
        c.Add("logind", CheckStatus::Warning, "logind is not running: the utility runs without sleep handling");
    } else {
        c.Add("logind", CheckStatus::Ok, "logind runs and the system bus is there");
    }

    const std::string prefix = "unix:path=";
    std::string socket;
    if (c.in.sessionBusAddress && c.in.sessionBusAddress->rfind(prefix, 0) == 0) {
        socket = c.in.sessionBusAddress->substr(prefix.size(), c.in.sessionBusAddress->find(',') - prefix.size());
    } else if (!c.in.sessionBusAddress && !c.in.runtimeDir.empty()) {
        socket = c.in.runtimeDir + "/bus";
    }
    if (c.in.sessionBusAddress && socket.empty()) {
        c.Add("session-bus", CheckStatus::Unknown,
              "the session bus is at " + *c.in.sessionBusAddress + ", not looked at");
    } else if (!socket.empty() && IsSocket(socket)) {
        c.Add("session-bus", CheckStatus::Ok, "the session bus is at " + socket);
    } else {
        c.Add("session-bus", CheckStatus::Warning,
              "this session has no session bus" + (socket.empty() ? std::string() : " (" + socket + ")"));
    }

    if (!c.in.desktop) {
        c.Add("tray", CheckStatus::Warning, "this session has no desktop (neither DISPLAY nor WAYLAND_DISPLAY)");
    } else {
        c.Add("tray", CheckStatus::Unknown,
              "whether the desktop offers a tray cannot be seen from here; without one the window stays shown");
    }
}

}  // namespace vr31k::doctor
