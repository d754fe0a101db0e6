#pragma once
// Links identified as Linux tells them: the kernel's boot id and the interface's index.
#include "platform/LinkIdentity.h"

#include <string>

namespace vr31k {

// Reads the boot id once, the index at each call (under `sysNetRoot`).
LinkIdentifier LinuxLinkIdentifier(const std::string& procRoot = "/proc",
                                   const std::string& sysNetRoot = "/sys/class/net");

}  // namespace vr31k
