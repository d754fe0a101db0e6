#include "platform/FileOps.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vr31k {

bool ReadFileHead(const std::string& path, size_t maxBytes, std::string& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    out.resize(ok ? maxBytes : 0);
    size_t done = 0;
    while (ok && done < maxBytes) {
        const ssize_t n = ::read(fd, out.data() + done, maxBytes - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    close(fd);
    out.resize(ok ? done : 0);
    return ok;
}

bool SetFileMode(const std::string& path, mode_t mode) { return chmod(path.c_str(), mode) == 0; }

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

bool RemoveFileIfPresent(const std::string& path) { return unlink(path.c_str()) == 0 || errno == ENOENT; }

}  // namespace vr31k
