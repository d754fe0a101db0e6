#include "common/RuntimeFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace vr31k {

namespace {

// Empty when `path` is a folder (not a link) of this user's that no one else may enter;
// else why not.
std::string NotPrivate(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return path + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return path + " is not a folder";
    if (st.st_uid != getuid()) return path + " belongs to another user";
    if ((st.st_mode & 077) != 0) return path + " is open to other users";
    return {};
}

}  // namespace

RuntimeFolder UserRuntimeFolder() {
    RuntimeFolder folder;
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    const std::string uid = std::to_string(getuid());
    for (const std::string& candidate : {std::string(xdg != nullptr ? xdg : ""), "/run/user/" + uid}) {
        if (!candidate.empty() && candidate.front() == '/' && NotPrivate(candidate).empty()) {
            folder.path = candidate;
            return folder;
        }
    }
    // mkdir never follows a link at the name, and what it finds already there is checked.
    const std::string own = std::string(getuid() == 0 ? "/run" : "/tmp") + "/vr31kctl-" + uid;
    if (mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) {
        folder.reason = own + ": " + std::strerror(errno);
        return folder;
    }
    folder.reason = NotPrivate(own);
    if (folder.reason.empty()) folder.path = own;
    return folder;
}

}  // namespace vr31k
