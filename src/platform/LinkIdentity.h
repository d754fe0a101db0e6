#pragma once
// Which link a network interface is: the boot it belongs to and its index. An interface
// name is reused (ppp0 made anew), the pair is not.
#include <cstdint>
#include <functional>
#include <string>

namespace vr31k {

struct LinkIdentity {
    std::string boot;
    int64_t index = 0;  // 0: no such interface now
};

using LinkIdentifier = std::function<LinkIdentity(const std::string& interfaceName)>;

}  // namespace vr31k
