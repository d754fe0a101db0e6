#include "common/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vr31k {

FileStatus StatFile(const std::string& path) {
    FileStatus status;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return status;
    status.exists = true;
    status.mode = st.st_mode & 07777;
    status.writable = access(path.c_str(), W_OK) == 0;
    return status;
}

bool ReadWholeFile(const std::string& path, size_t maxBytes, std::string& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buffer[8192];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        if (out.size() + static_cast<size_t>(n) > maxBytes) ok = false;
        else out.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    if (!ok) out.clear();
    return ok;
}

std::string ParentFolder(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const auto slash = p.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return p.substr(0, slash);
}

std::string CanonicalPath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string out(resolved);
    free(resolved);
    return out;
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolderPath(const std::string& path, mode_t mode) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (FolderExists(p)) return true;
    const std::string parent = ParentFolder(p);
    if (parent != p && !MakeFolderPath(parent, mode)) return false;
    return mkdir(p.c_str(), mode) == 0 || (errno == EEXIST && FolderExists(p));
}

}  // namespace vr31k
