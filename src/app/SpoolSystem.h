#pragma once
// Who keeps a spool's live record, and which link it is, as Linux tells it: a process
// by its pid and its start in clock ticks since boot (a pid is reused, the pair is
// not), a link by the boot it belongs to and its interface's index.
#include "accounting/UsageSpool.h"
#include "platform/linux/DiallerProcess.h"

#include <cstdint>
#include <string>

namespace vr31k {

// The spool's questions answered from /proc and the interfaces under `sysNetRoot`.
SpoolSystem LinuxSpoolSystem(const std::string& procRoot = "/proc", const std::string& sysNetRoot = "/sys/class/net");

}  // namespace vr31k
