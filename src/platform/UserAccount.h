#pragma once
#include <optional>
#include <string>
#include <vector>

namespace vr31k {

struct UserIdentity {
    std::optional<std::string> name;                 // nullopt: the name could not be read
    std::optional<std::vector<std::string>> groups;  // nullopt: the group query failed
};

// The user running this process, with every group it belongs to (primary and
// supplementary).
UserIdentity CurrentUserIdentity();

}  // namespace vr31k
