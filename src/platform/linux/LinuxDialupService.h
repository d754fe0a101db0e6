#pragma once
// The dial-up service over pppd (or, when chosen explicitly, the simulated link).
#include "platform/DeviceInhibit.h"
#include "platform/linux/Machine.h"
#include "platform/DialupService.h"
#include "platform/linux/PppdCommand.h"

#include <functional>
#include <memory>
#include <string>

namespace vr31k {

enum class DialLink { Pppd, Simulated };

struct LinuxDialupConfig {
    DialLink link = DialLink::Pppd;
    PppdSetup pppd;
    std::string peersDir = "/etc/ppp/peers";
    std::string simulatedLinkPath;              // the vr31k-simlink program
    std::string sysNetRoot = "/sys/class/net";  // interfaces and their counters
    std::string ttySysRoot = "/sys/class/tty";  // serial modems for the device list
    std::string runDir = "/run";                // pppd's <interface>.pid files
    std::string lockDir = "/run/lock";          // UUCP lock files (LCK..ttyACM0)
    std::string privateBase;                    // per-dial files; empty: $XDG_RUNTIME_DIR or /tmp
    int hangUpTermWaitMs = 3000;                // SIGTERM, then SIGKILL
    int hangUpKillWaitMs = 2000;
    int hangUpLinkWaitMs = 2000;                // then the interface must be gone
    // Keeps ModemManager off the card while a dial has its tty; none: nothing is asked.
    std::function<std::unique_ptr<IDeviceInhibit>()> makeInhibit = MakeDeviceInhibit;
};

// The environment's choice: VR31K_DIAL_LINK=simulated selects the simulated link
// (VR31K_SIMLINK names its program, else vr31k-simlink beside this program);
// anything else, or nothing, is pppd.
LinuxDialupConfig DialupConfigFromEnvironment();

std::unique_ptr<IDialupService> CreateLinuxDialupService(LinuxDialupConfig config);

}  // namespace vr31k
