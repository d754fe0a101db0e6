#pragma once
// Which link a spool's live record is, as Linux tells it: the boot it belongs to and its
// interface's index (an interface name is reused, the pair is not).
#include "accounting/UsageSpool.h"

#include <cstdint>
#include <string>

namespace vr31k {

// The spool's questions answered from /proc and the interfaces under `sysNetRoot`.
SpoolSystem LinuxSpoolSystem(const std::string& procRoot = "/proc", const std::string& sysNetRoot = "/sys/class/net");

}  // namespace vr31k
