#include "common/AtomicFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
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
}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path, mode_t mode)
    : m_path(std::move(path)), m_mode(mode) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Open() {
    const auto slash = m_path.find_last_of('/');
    const std::string base = slash == std::string::npos ? m_path : m_path.substr(slash + 1);
    m_tempPath = DirectoryOf(m_path) + "/." + base + ".XXXXXX";
    m_fd = mkostemp(m_tempPath.data(), O_CLOEXEC);
    if (m_fd < 0) {
        m_errno = errno;
        m_tempPath.clear();
        return false;
    }
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
    if (fsync(m_fd) != 0 || close(m_fd) != 0) {
        m_errno = errno;
        m_fd = -1;
        Discard();
        return false;
    }
    m_fd = -1;
    if (rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        m_errno = errno;
        Discard();
        return false;
    }
    m_tempPath.clear();
    // The rename itself must reach the disk too.
    const int dirFd = ::open(DirectoryOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

void AtomicFileWriter::AbandonForTest() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    m_tempPath.clear();
}

void AtomicFileWriter::Discard() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    if (!m_tempPath.empty()) unlink(m_tempPath.c_str());
    m_tempPath.clear();
}

int WriteFileAtomically(const std::string& path, std::string_view data, mode_t mode) {
    AtomicFileWriter writer(path, mode);
    if (writer.Open() && writer.Write(data) && writer.Commit()) return 0;
    return writer.Error() != 0 ? writer.Error() : EIO;
}

mode_t SharedFileMode(const std::string& folder) {
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0) return S_IRUSR | S_IWUSR;
    // Never more than the owner and the folder's group, even in a folder open to all.
    return (st.st_mode & (S_IRGRP | S_IWGRP)) | S_IRUSR | S_IWUSR;
}

}  // namespace vr31k
