#pragma once
#include "platform/UserAccount.h"

namespace vr31k {

// A guest is the user "guest" (any letter case) or any member, direct or through a
// supplementary group, of a group "guests" (any case). Unknown names or groups do not
// make a guest.
bool IsGuestUser(const UserIdentity& user);

}  // namespace vr31k
