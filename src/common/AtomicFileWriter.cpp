#include "common/AtomicFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vr31k {

namespace {
std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr char kNameChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// Six random letters and digits for a temporary name.
std::string RandomSuffix(int attempt) {
    unsigned char bytes[6] = {};
    [[maybe_unused]] const ssize_t n = getrandom(bytes, sizeof bytes, GRND_NONBLOCK);  // a name clash is retried
    std::string suffix;
    for (unsigned char b : bytes) suffix += kNameChars[(b + attempt++) % (sizeof kNameChars - 1)];
    return suffix;
}

// Temporary files of this file's earlier writers that were killed before their rename:
// ".NAME.XXXXXX" that no living writer holds (each writer locks its own for its life).
void RemoveStaleTemporaries(int dirFd, const std::string& base) {
    const int scanFd = dup(dirFd);
    DIR* dir = scanFd >= 0 ? fdopendir(scanFd) : nullptr;
    if (dir == nullptr) {
        if (scanFd >= 0) close(scanFd);
        return;
    }
    rewinddir(dir);  // a duplicate shares the offset an earlier listing left at the end
    const std::string prefix = "." + base + ".";
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        const int fd = openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0) {
            unlinkat(dirFd, name.c_str(), 0);
        }
        close(fd);
    }
    closedir(dir);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path, mode_t mode)
    : m_path(std::move(path)), m_tempBase(BaseOf(m_path)), m_mode(mode) {}

AtomicFileWriter::AtomicFileWriter(int dirFd, std::string name, mode_t mode, Overwrite overwrite, std::string tempBase)
    : m_path(std::move(name)),
      m_tempBase(tempBase.empty() ? m_path : std::move(tempBase)),
      m_mode(mode),
      m_overwrite(overwrite),
      m_parentFd(dirFd) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Open() {
    // Everything happens relative to the folder: the temporary file is made new
    // (O_EXCL, never through a link), and the rename replaces whatever is at the name
    // without following it.
    m_dirFd = m_parentFd >= 0 ? fcntl(m_parentFd, F_DUPFD_CLOEXEC, 0)
                              : ::open(DirectoryOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_dirFd < 0) {
        m_errno = errno;
        return false;
    }
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_tempName = "." + m_tempBase + "." + RandomSuffix(attempt);
        m_fd = openat(m_dirFd, m_tempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd < 0 && errno != EEXIST) break;
    }
    if (m_fd < 0) {
        m_errno = errno;
        m_tempName.clear();
        Discard();
        return false;
    }
    // Held until the file is renamed or removed: a later writer can tell a temporary
    // file of a killed writer from one still being written.
    flock(m_fd, LOCK_EX | LOCK_NB);
    RemoveStaleTemporaries(m_dirFd, m_tempBase);
    if (fchmod(m_fd, m_mode) != 0) {
        m_errno = errno;
        Discard();
        return false;
    }
    return true;
}

bool AtomicFileWriter::Write(std::string_view data) {
    if (m_fd < 0) return false;
    while (!data.empty()) {
        const ssize_t n = ::write(m_fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            m_errno = errno;
            Discard();
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool AtomicFileWriter::Commit() {
    if (m_fd < 0) return false;
    // The file stays open (and locked) until it has its name: no other writer may take
    // it for a killed writer's.
    const unsigned flags = m_overwrite == Overwrite::Never ? RENAME_NOREPLACE : 0;
    if (fsync(m_fd) != 0 || renameat2(m_dirFd, m_tempName.c_str(), m_dirFd, BaseOf(m_path).c_str(), flags) != 0) {
        m_errno = errno;
        Discard();
        return false;
    }
    m_tempName.clear();
    close(m_fd);  // flushed already: the content is on the disk under its name
    m_fd = -1;
    // The rename itself must reach the disk too.
    fsync(m_dirFd);
    Discard();
    return true;
}

void AtomicFileWriter::AbandonForTest() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    m_tempName.clear();
    Discard();
}

void AtomicFileWriter::Discard() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    if (!m_tempName.empty() && m_dirFd >= 0) unlinkat(m_dirFd, m_tempName.c_str(), 0);
    m_tempName.clear();
    if (m_dirFd >= 0) close(m_dirFd);
    m_dirFd = -1;
}

int WriteFileAtomically(const std::string& path, std::string_view data, mode_t mode) {
    AtomicFileWriter writer(path, mode);
    if (writer.Open() && writer.Write(data) && writer.Commit()) return 0;
    return writer.Error() != 0 ? writer.Error() : EIO;
}

int WriteFileAt(int dirFd, const std::string& name, std::string_view data, mode_t mode, Overwrite overwrite,
                const std::string& tempBase) {
    AtomicFileWriter writer(dirFd, name, mode, overwrite, tempBase);
    if (writer.Open() && writer.Write(data) && writer.Commit()) return 0;
    return writer.Error() != 0 ? writer.Error() : EIO;
}

std::string RandomNamePart(size_t length) {
    std::string part;
    while (part.size() < length) part += RandomSuffix(static_cast<int>(part.size()));
    part.resize(length);
    return part;
}

mode_t SharedFileMode(const std::string& folder) {
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0) return S_IRUSR | S_IWUSR;
    // The group shares a file only where it may also replace it (read and write on the
    // folder); never anyone else, even in a folder open to all.
    const mode_t groupShares = S_IRGRP | S_IWGRP;
    return ((st.st_mode & groupShares) == groupShares ? groupShares : 0) | S_IRUSR | S_IWUSR;
}

}  // namespace vr31k
