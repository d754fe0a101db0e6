#pragma once
// A link's path as this machine has it set up: where the kernel sends the traffic and
// whether lookups go to the link's name servers (platform/LinkPath.h).
#include "platform/LinkPath.h"

#include <chrono>

namespace vr31k {

// Asks systemd-resolved, where it manages the names, within `busLimit`; a link that is
// not there has no facts.
LinkPathProbe MachineLinkPath(std::chrono::milliseconds busLimit);

}  // namespace vr31k
