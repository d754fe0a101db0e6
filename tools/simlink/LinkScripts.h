#pragma once
// pppd's ip-up and ip-down for the simulated link: the programs named by
// VR31K_SIMLINK_IP_UP and VR31K_SIMLINK_IP_DOWN (none by default) run as pppd runs
// /etc/ppp/ip-up and ip-down: with the link's arguments (interface, tty, speed, local
// and remote address, ipparam) and pppd's environment only, waited for.
#include <string>

namespace vr31k::sim {

struct ScriptLink {
    std::string interfaceName;
    std::string tty;
    std::string local;
    std::string remote;
    std::string ipparam;
};

// Runs the ip-up program (`up`) or the ip-down one with the link's figures; its status,
// 0 when none is named.
int RunLinkScript(bool up, const ScriptLink& link, long long connectSeconds);

}  // namespace vr31k::sim
