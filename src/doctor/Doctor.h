#pragma once
// One look at everything a connection needs: the card and its tty, who holds the tty,
// pppd and its files, the SIM, the data and runtime folders, the session's buses. Each
// check says ok, warning, failed or unknown in one sentence, with the command that fixes
// it where there is one. Every place on the system a check reads is in `DoctorRoots`,
// and the user's groups and the SIM's answers come in as values, so tests can build the
// whole system.
#include "platform/DeviceInhibit.h"
#include "platform/DeviceTree.h"
#include "platform/linux/DefaultRoute.h"
#include "platform/linux/DesktopLink.h"
#include "platform/linux/LinkNameServers.h"
#include "platform/linux/NameQuery.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace vr31k {

enum class CheckStatus { Ok, Warning, Failed, Unknown };
const char* CheckStatusName(CheckStatus status);  // "ok", "warning", "failed", "unknown"

struct CheckResult {
    std::string id;  // stable: "tty-access", "pppd-peer", ...
    CheckStatus status = CheckStatus::Unknown;
    std::string message;
    std::string fix;  // a command or step; empty when there is none
};

struct DoctorRoots {
    std::string proc = "/proc";
    std::string lockDir = "/run/lock";
    std::string etcPpp = "/etc/ppp";
    std::string dev = "/dev";
    std::string udevData = "/run/udev/data";
    std::string run = "/run";  // logind's seats, the system bus socket
    std::string pppd = "/usr/sbin/pppd";
    std::vector<std::string> recorders = {"/usr/libexec/vr31k-utility/vr31k-link-record",
                                          "/usr/local/libexec/vr31k-utility/vr31k-link-record"};
    std::vector<std::string> linkHooks = {"/usr/libexec/vr31k-utility/vr31k-link-hook",
                                          "/usr/local/libexec/vr31k-utility/vr31k-link-hook"};
};

struct DoctorUser {
    uid_t uid = 0;
    std::string name;
    std::vector<std::string> sessionGroups;   // what this process carries
    std::vector<std::string> databaseGroups;  // what a new login would carry
};

// The SIM as the card answers the query commands (never a code).
struct SimReport {
    bool opened = false;    // the port could be opened
    bool answered = false;  // and the card answered
    unsigned state = 0;     // SIM_READY, SIM_PIN_REQUIRED, ...
    int attemptsLeft = -1;  // for a PIN or PUK wanted; -1 unknown
};

struct DoctorInput {
    DoctorRoots roots;
    DoctorUser user;
    int self = 0;                           // this process, never counted as a holder
    std::optional<std::string> port;        // given (--port, VR31K_PORT): no lookup
    std::shared_ptr<IDeviceTree> tree;      // the lookup otherwise
    bool chipset = false;                   // SolvaneMode
    std::string dataFolder;
    bool machineFolder = true;              // the per-machine folder (root:dialout 2770)
    std::string peerFileText;               // this version's /etc/ppp/peers/vr31k-utility
    std::function<SimReport(const std::string& port)> querySim;  // null: not asked
    std::function<ModemManagerView(const std::string& port)> modemManager;  // over the bus; null: not asked
    std::optional<std::string> sessionBusAddress;  // DBUS_SESSION_BUS_ADDRESS
    std::string runtimeDir;                 // XDG_RUNTIME_DIR
    std::string runtimeFolder, runtimeProblem;  // the runtime folder found, or why none
    bool desktop = false;                   // DISPLAY or WAYLAND_DISPLAY set
    std::optional<bool> trayHost;           // whether the desktop offers a tray, where the window can tell
    bool portOpenHere = false;              // this program has the port open: the SIM is not asked again
    // The programs kept off the card's link (their ids), or nullopt with why their list
    // cannot be read; read by the layers that know the list's format. Null: not asked.
    std::function<std::optional<std::vector<std::string>>(std::string& problem)> keptOff;

    // The checks after the connection look at the card's link that is up, through these
    // (null: not looked at). Nothing they read is sent over the link.
    std::string cardLink;  // its interface; empty when no link over the card is up
    std::function<RouteFinding(const std::string& link)> route;
    std::function<NameServerFacts(const std::string& link)> nameServers;
    std::function<NetworkManagerView(const std::string& link)> networkManager;
    std::function<std::optional<DesktopLinkReport>(const std::string& link)> desktopReport;  // what the hook did
    // The connection test, only when the user asks for it: one name looked up at the
    // link's first name server, over the link.
    std::function<NameQueryResult(const std::string& server, const std::string& link)> connectionTest;
};

std::vector<CheckResult> RunDoctor(const DoctorInput& input);

// A check's name as people read it ("通信ポートの使用者" for "tty-holders"); the id
// itself for one without a name.
std::string CheckName(std::string_view id);
// A result's word as people read it ("失敗").
std::string CheckStatusText(CheckStatus status);

// The plain report, one check a line ("失敗  通信ポートの使用者  ..."), its fix beneath.
std::string DoctorText(const std::vector<CheckResult>& results);

// Who keeps the card's port from being opened, in one sentence ("/dev/ttyACM0 is held
// open by minicom (pid 4321, user alice)"), from the processes and the lock folder;
// "" when nobody is seen.
std::string PortHoldersSentence(const std::string& port);

// Why the card's port cannot be opened or does not answer, in one sentence, from the
// checks of the port alone (it is there, this user may open it, who holds or locks it,
// ModemManager); "" when they see nothing.
std::string PortTroubleSentence(const std::string& port);

// This process's user with the groups of the session and of the group database.
DoctorUser CurrentDoctorUser();

// The input for this process on this machine, with the real SIM query over `port`, and
// the looks at `cardLink` (the interface of the card's link that is up; empty: none).
// `connectionTest`: the user asked for the test over the link.
DoctorInput SystemDoctorInput(std::string dataFolder, std::optional<std::string> port, bool chipset,
                              std::string cardLink = {}, bool connectionTest = false);

}  // namespace vr31k
