#include "app/GuestCheck.h"

#include <strings.h>

namespace vr31k {

bool IsGuestUser(const UserIdentity& user) {
    if (!user.name) return false;  // the name could not be read: the check is skipped
    if (strcasecmp(user.name->c_str(), "guest") == 0) return true;
    if (!user.groups) return false;
    for (const std::string& group : *user.groups) {
        if (strcasecmp(group.c_str(), "guests") == 0) return true;
    }
    return false;
}

}  // namespace vr31k
