#pragma once
// Whether a port name read from the shared settings file may be opened by this user.
// The settings are shared by every member of the card's group; a PortName that one of
// them wrote must not make another member (or root) send PINs to a terminal the writer
// reads. A name is trusted when it leads, through folders and links that only root or
// this user can change, to a character device owned by root (a real card's tty) or by
// this user (a simulator of their own).
#include <string>
#include <sys/types.h>

namespace vr31k {

struct PortTrust {
    std::string device;  // the device the name leads to, with every link resolved
    std::string reason;  // why it is not trusted (empty when it is)
    bool Trusted() const { return reason.empty(); }
};

PortTrust CheckPortName(const std::string& name, uid_t user);

}  // namespace vr31k
