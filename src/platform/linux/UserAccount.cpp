#include "platform/UserAccount.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace vr31k {

UserIdentity CurrentUserIdentity() {
    UserIdentity identity;
    std::vector<char> buffer(16384);
    struct passwd pw {};
    struct passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &pw, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return identity;
    }
    identity.name = std::string(pw.pw_name);

    int count = 64;
    std::vector<gid_t> gids(static_cast<size_t>(count));
    if (getgrouplist(pw.pw_name, pw.pw_gid, gids.data(), &count) < 0) {
        gids.resize(static_cast<size_t>(count));  // count now holds the size needed
        if (getgrouplist(pw.pw_name, pw.pw_gid, gids.data(), &count) < 0) return identity;
    }
    gids.resize(static_cast<size_t>(count));
    std::vector<std::string> names;
    std::vector<char> groupBuffer(65536);
    for (gid_t gid : gids) {
        struct group gr {};
        struct group* g = nullptr;
        if (getgrgid_r(gid, &gr, groupBuffer.data(), groupBuffer.size(), &g) == 0 && g != nullptr) {
            names.emplace_back(g->gr_name);
        }
    }
    identity.groups = std::move(names);
    return identity;
}

}  // namespace vr31k
