#include "common/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vr31k {

FileStatus StatFile(const std::string& path) {
    FileStatus status;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return status;
    status.exists = true;
    status.regular = S_ISREG(st.st_mode);
    status.link = S_ISLNK(st.st_mode);
    status.mode = st.st_mode & 07777;
    status.links = st.st_nlink;
    status.writable = status.regular && access(path.c_str(), W_OK) == 0;
    return status;
}

int OpenRegularFile(const std::string& path, int flags, mode_t mode) {
    const std::string folder = ParentFolder(path);
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) {
        errno = kNotRegularFile;
        return -1;
    }
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return -1;
    const int fd = openat(dirFd, name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
    const int openError = errno;
    close(dirFd);
    if (fd < 0) {
        errno = openError;
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = kNotRegularFile;
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::string FileErrorText(int error) {
    if (error == ELOOP) return "it is a symbolic link, which is never followed";
    if (error == kNotRegularFile) return "it is not a regular file";
    if (error == ENOLCK) return "the data folder stayed locked by another program";
    if (error == EFBIG) return "it is, or the change would make it, too large to be read back; it is kept as it is";
    return std::strerror(error);
}

std::string UnsafeFileProblem(const std::string& path) {
    const FileStatus status = StatFile(path);
    if (!status.exists) return {};
    if (status.link) return FileErrorText(ELOOP);
    if (!status.regular) return FileErrorText(kNotRegularFile);
    if (status.links != 1) return "it has other names (hard links)";
    return {};
}

ReadResult ReadRegularFile(const std::string& path, size_t maxBytes, std::string& out) {
    out.clear();
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) return ReadResult::Missing;
        errno = error;
        return error == ELOOP || error == kNotRegularFile ? ReadResult::NotRegular : ReadResult::Failed;
    }
    ReadResult result = ReadResult::Ok;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result = ReadResult::Failed;
            errno = EIO;
        }
        if (n <= 0) break;
        if (out.size() + static_cast<size_t>(n) > maxBytes) {
            result = ReadResult::TooLarge;
            break;
        }
        out.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    if (result != ReadResult::Ok) out.clear();
    return result;
}

bool ReadWholeFile(const std::string& path, size_t maxBytes, std::string& out) {
    return ReadRegularFile(path, maxBytes, out) == ReadResult::Ok;
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
