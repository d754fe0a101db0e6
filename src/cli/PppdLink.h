#pragma once
// A link as pppd hands it to its ip-up and ip-down hooks (run as root), and whether it
// runs over the card: the hooks act on the card's links only, the utility's own and
// other diallers' alike.
#include <functional>
#include <string>
#include <vector>

namespace vr31k::cli {

struct PppdLinkInput {
    std::string dataFolder;
    // pppd's script arguments: interface, tty, speed, local and remote address, ipparam.
    std::vector<std::string> args;
    // pppd's script environment (IFNAME, DEVICE, CONNECT_TIME, BYTES_SENT, BYTES_RCVD,
    // CALL_FILE, LINKNAME, DNS1, DNS2...); null for a variable that is not set.
    std::function<const char*(const char*)> env;
    std::string sysRoot = "/sys";  // where the tty's USB device is looked up
    long long now = 0;             // Unix seconds

    std::string Env(const char* name) const;  // "" when not set
    std::string Arg(size_t i) const;           // "" when not given
    std::string InterfaceName() const;        // IFNAME, else the first argument
    std::string Tty() const;                  // DEVICE, else the second argument
};

// The utility dialled it (its ipparam), it was dialled through the utility's peer, or
// its tty is on a USB device with the card's ids.
bool IsCardLink(const PppdLinkInput& in);

}  // namespace vr31k::cli
