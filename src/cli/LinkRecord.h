#pragma once
// What pppd's ip-down hook runs (as root) when a link ends: for a link over the card
// that the utility did not dial, a usage record in the data folder's spool, so the
// history counts links dialled with `pppd call vr31k-utility` or another dialler.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace vr31k::cli {

struct LinkEndInput {
    std::string dataFolder;
    // pppd's script arguments: interface, tty, speed, local and remote address, ipparam.
    std::vector<std::string> args;
    // pppd's script environment (IFNAME, DEVICE, CONNECT_TIME, BYTES_SENT, BYTES_RCVD,
    // CALL_FILE, LINKNAME); null for a variable that is not set.
    std::function<const char*(const char*)> env;
    std::string sysRoot = "/sys";  // where the tty's USB device is looked up
    long long now = 0;             // Unix seconds
};

// 0 a record was written, 1 the link was not the card's or was the utility's own,
// 2 it could not be written (told on `err`).
int RecordEndedLink(const LinkEndInput& input, std::ostream& err);

}  // namespace vr31k::cli
