#pragma once
// The warning a connection carries while it is up but its traffic or its name lookups
// do not go through it: one line for the status dialog and vr31kctl status, a shorter
// one for the tray tip (which holds few bytes). Both empty when nothing is wrong, or
// nothing is known.
#include "platform/LinkPath.h"

#include <string>

namespace vr31k {

struct LinkWarning {
    std::string line;
    std::string tip;
    bool operator==(const LinkWarning&) const = default;
};

LinkWarning LinkWarningOf(const LinkPathFacts& facts);

}  // namespace vr31k
