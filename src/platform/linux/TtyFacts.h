#pragma once
// What the system keeps about a tty besides the tty itself: the UUCP lock file pppd
// and other diallers leave in the lock folder, and the properties udev gave the device
// (its database in /run/udev/data). Roots are parameters so tests can build their own.
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace vr31k {

struct TtyLock {
    // Live: the process it names has the tty open or is a dialler. Foreign: that process
    // runs but has not the tty open (anyone may write the lock folder and name any
    // process); Unseen: its descriptors cannot be read to tell.
    enum class Kind { None, Live, Foreign, Unseen, Stale, Unreadable };
    Kind kind = Kind::None;
    std::string path;  // the lock file
    int pid = 0;       // what it names
};

// LCK..<name> for the tty `port` (/dev/ttyACM0 → LCK..ttyACM0), the process it names
// looked up in `procRoot`. The file is opened without following a link.
TtyLock ReadTtyLock(const std::string& lockDir, const std::string& port, const std::string& procRoot);
// A property udev set on the character device `rdev` ("E:KEY=VALUE" lines of
// c<major>:<minor>); nullopt when the device or the key is not there.
std::optional<std::string> UdevProperty(const std::string& udevDataDir, dev_t rdev, std::string_view key);

}  // namespace vr31k
