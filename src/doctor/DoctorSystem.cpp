// The doctor's input from this process and this machine.
#include "doctor/Doctor.h"
#include "doctor/DoctorChecks.h"

#include "doctor/PeerFileText.h"
#include "card/CWKvCtrl.h"
#include "card/CardResults.h"
#include "common/DataFolder.h"
#include "platform/RuntimeFolder.h"
#include "platform/UserAccount.h"
#include "platform/linux/Machine.h"

#include <grp.h>
#include <unistd.h>

#include <cstdlib>

namespace vr31k {

namespace {

std::vector<std::string> SessionGroups() {
    std::vector<gid_t> gids(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)));
    gids.resize(static_cast<size_t>(std::max(getgroups(static_cast<int>(gids.size()), gids.data()), 0)));
    gids.push_back(getegid());
    std::vector<std::string> names;
    char buffer[65536];
    for (gid_t gid : gids) {
        struct group gr {};
        struct group* found = nullptr;
        if (getgrgid_r(gid, &gr, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
            names.emplace_back(gr.gr_name);
        }
    }
    return names;
}

// Only the query commands: the SIM's state and the attempts left. No code is ever sent.
SimReport QuerySim(const std::string& port) {
    SimReport report;
    CWKvCtrl card(DefaultCardTimings(), MakeSerialPort(), MakeDeviceInhibit());
    report.opened = card.OpenPort(port, true) == CARD_OK;
    if (report.opened && card.Initialize() == CARD_OK && card.SetErrorReporting(1) == CARD_OK) {
        report.state = card.GetSimState();
        report.answered = report.state != CARD_ERR_TRANSACT;
        int attempts = -1;
        if ((report.state == SIM_PIN_REQUIRED || report.state == SIM_PUK_REQUIRED) &&
            card.GetRemainingAttempts(attempts) == CARD_OK) {
            report.attemptsLeft = attempts;
        }
    }
    card.ClosePort();
    return report;
}

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

DoctorUser CurrentDoctorUser() {
    DoctorUser user;
    user.uid = geteuid();
    const UserIdentity identity = CurrentUserIdentity();
    user.name = identity.name.value_or(std::to_string(user.uid));
    user.sessionGroups = SessionGroups();
    user.databaseGroups = identity.groups.value_or(user.sessionGroups);
    return user;
}

DoctorInput SystemDoctorInput(std::string dataFolder, std::optional<std::string> port, bool chipset,
                              std::string cardLink, bool connectionTest) {
    DoctorInput input;
    input.user = CurrentDoctorUser();
    input.self = getpid();
    input.port = std::move(port);
    if (!input.port) input.tree = MakeDeviceTree();
    input.chipset = chipset;
    input.machineFolder = IsMachineDataFolder(dataFolder);
    input.dataFolder = std::move(dataFolder);
    input.peerFileText = kPeerFileText;
    input.querySim = QuerySim;
    input.modemManager = LookAtModemManager;
    input.sessionBusAddress = Environment("DBUS_SESSION_BUS_ADDRESS");
    input.runtimeDir = Environment("XDG_RUNTIME_DIR").value_or("");
    const RuntimeFolder runtime = UserRuntimeFolder();
    input.runtimeFolder = runtime.path;
    input.runtimeProblem = runtime.reason;
    input.desktop = Environment("DISPLAY") || Environment("WAYLAND_DISPLAY");
    input.cardLink = std::move(cardLink);
    input.route = [](const std::string& link) { return FindRoute(link); };
    input.nameServers = [](const std::string& link) { return LookAtNameServers(link); };
    input.networkManager = [](const std::string& link) { return LookAtNetworkManager(link); };
    input.desktopReport = [](const std::string& link) { return ReadDesktopLinkReport(link); };
    if (connectionTest) input.connectionTest = doctor::RunConnectionTest;
    return input;
}

}  // namespace vr31k
