#include "common/FileOps.h"

#include "common/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace vr31k {

bool SetFileMode(const std::string& path, mode_t mode) {
    // Through the open file: a link planted at the name is refused, not followed.
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0) return false;
    const bool ok = fchmod(fd, mode) == 0;
    close(fd);
    return ok;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
    // link + unlink never replaces an existing name; renameat2's flag is not on every
    // file system.
    if (link(from.c_str(), to.c_str()) != 0) {
        if (errno != EPERM && errno != ENOTSUP && errno != EXDEV) return errno;
        // No hard links here: check, then rename.
        struct stat st {};
        if (lstat(to.c_str(), &st) == 0) return EEXIST;
        return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }
    if (unlink(from.c_str()) != 0) {
        const int error = errno;
        unlink(to.c_str());
        return error;
    }
    return 0;
}

int MoveUnreadableAside(const std::string& path, std::string& aside) {
    const time_t now = time(nullptr);
    struct tm local {};
    char stamp[32] = "unknown";
    if (localtime_r(&now, &local) != nullptr) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + ".unreadable-" + stamp;
    int error = EEXIST;
    for (int n = 1; n < 100 && error == EEXIST; ++n) {
        aside = n == 1 ? base : base + "-" + std::to_string(n);
        error = RenameNoReplace(path, aside);
    }
    if (error != 0) aside.clear();
    return error;
}

}  // namespace vr31k
