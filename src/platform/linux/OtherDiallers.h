#pragma once
// Links over ppp interfaces that another dialler (pppd started by hand, a network
// manager) made: found in sysfs, with pppd's pid file for the process, its command line
// for the peer name and its lock files for the tty. Roots are parameters so tests can
// point them at a fake tree.
#include "platform/DialupService.h"

#include <functional>
#include <string>
#include <vector>

namespace vr31k {

// A handle for a link whose process is unknown: the interface index, tagged so it can
// never be mistaken for a pid.
inline constexpr ConnHandle kInterfaceHandleTag = ConnHandle{1} << 40;

struct OtherDiallerRoots {
    std::string sysNetRoot;  // /sys/class/net
    std::string runDir;      // where pppd writes <interface>.pid
    std::string lockDir;     // where diallers lock their tty
};

// Every ppp link that is up and not one of `ours`. `deviceOfPort` names the dial-up
// device of a tty (and sets its type), empty when unknown.
std::vector<ConnectionInfo> FindOtherDiallerLinks(
    const OtherDiallerRoots& roots, const std::vector<std::string>& ours,
    const std::function<std::string(const std::string& port, std::string& type)>& deviceOfPort);

}  // namespace vr31k
