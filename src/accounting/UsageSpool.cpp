#include "accounting/UsageSpool.h"

#include "accounting/ProgramUsageRecord.h"
#include "common/AtomicFileWriter.h"
#include "common/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vr31k {

namespace {

constexpr std::string_view kRecordSuffix = ".rec";
// Records' temporary files are ".rec.XXXXXX", each locked by its writer while it lives.
constexpr const char* kTemporaryBase = "rec";
// Earlier builds named them ".rec-XXXXXXXX", unlocked: removed after a day.
constexpr time_t kStaleLegacySeconds = 86400;

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::vector<std::string> AllNames(int spoolFd) {
    std::vector<std::string> names;
    const int scanFd = dup(spoolFd);
    DIR* dir = scanFd >= 0 ? fdopendir(scanFd) : nullptr;
    if (dir == nullptr) {
        if (scanFd >= 0) close(scanFd);
        return names;
    }
    rewinddir(dir);  // a duplicate shares the offset an earlier listing left at the end
    while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string KeeperLockName(int ownerPid, uint64_t ownerStart) {
    return "keeper-" + std::to_string(ownerPid) + "-" + std::to_string(ownerStart) + ".lock";
}

// A regular file of the spool, opened without following a link or waiting on a FIFO.
int OpenPlainFile(int spoolFd, const std::string& name) {
    const int fd = openat(spoolFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

int OpenSpoolFolder(const std::string& dataFolder, bool create, mode_t mode) {
    UniqueFd folder{open(dataFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.fd < 0) return -1;
    if (create && mkdirat(folder.fd, kSpoolFolderName, mode) == 0) {
        // mkdir's mode passes through the umask; the spool shares as the folder does.
        const int made = openat(folder.fd, kSpoolFolderName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (made >= 0) fchmod(made, mode);
        return made;
    }
    return openat(folder.fd, kSpoolFolderName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

int WriteUsageRecord(int spoolFd, const UsageRecord& record, mode_t mode) {
    const std::string text = FormatUsageRecord(record);
    int error = EEXIST;
    for (int attempt = 0; attempt < 20 && error == EEXIST; ++attempt) {
        const std::string name = "pppd-" + std::to_string(record.end) + "-" + RandomNamePart(8) + std::string(kRecordSuffix);
        error = WriteFileAt(spoolFd, name, text, mode, Overwrite::Never, kTemporaryBase);
    }
    return error;
}

int ReplaceUsageRecord(int spoolFd, const std::string& name, const UsageRecord& record, mode_t mode) {
    return WriteFileAt(spoolFd, name, FormatUsageRecord(record), mode, Overwrite::Replace, kTemporaryBase);
}

bool ReadSpoolText(int spoolFd, const std::string& name, size_t maxBytes, std::string& text, std::string& problem) {
    UniqueFd file{OpenPlainFile(spoolFd, name)};
    struct stat st {};
    if (file.fd < 0 || fstat(file.fd, &st) != 0) {
        problem = "not a regular file";
        return false;
    }
    if (static_cast<size_t>(st.st_size) > maxBytes) {
        problem = "larger than a record";
        return false;
    }
    text.assign(static_cast<size_t>(st.st_size) + 1, '\0');
    const ssize_t n = read(file.fd, text.data(), text.size());
    if (n < 0 || static_cast<size_t>(n) > maxBytes) {
        problem = n < 0 ? "unreadable" : "larger than a record";
        return false;
    }
    text.resize(static_cast<size_t>(n));
    return true;
}

std::optional<UsageRecord> ReadUsageRecord(int spoolFd, const std::string& name, std::string& problem) {
    std::string text;
    if (!ReadSpoolText(spoolFd, name, kMaxUsageRecordBytes, text, problem)) return std::nullopt;
    return ParseUsageRecord(text, problem);
}

std::vector<std::string> SpoolRecordNames(int spoolFd) {
    std::vector<std::string> names = AllNames(spoolFd);
    std::erase_if(names, [](const std::string& n) { return n[0] == '.' || !EndsWith(n, kRecordSuffix); });
    return names;
}

std::vector<std::string> SpoolProgramRecordNames(int spoolFd) {
    std::vector<std::string> names = AllNames(spoolFd);
    std::erase_if(names, [](const std::string& n) { return !IsProgramRecordName(n); });
    return names;
}

bool IsLiveRecordName(const std::string& name) { return name.rfind("live-", 0) == 0 && EndsWith(name, kRecordSuffix); }

bool KeepRecordAside(int spoolFd, const std::string& name, std::string& aside) {
    aside = name + ".bad";
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (renameat2(spoolFd, name.c_str(), spoolFd, aside.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno != EEXIST) return false;
        aside = name + "." + RandomNamePart(8) + ".bad";
    }
    return false;
}

void RemoveSpoolLeftovers(int spoolFd) {
    const time_t now = time(nullptr);
    for (const std::string& name : AllNames(spoolFd)) {
        struct stat st {};
        if (name.rfind(".rec-", 0) == 0 && fstatat(spoolFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            now - st.st_mtime > kStaleLegacySeconds) {
            unlinkat(spoolFd, name.c_str(), 0);
        }
        if (name.rfind("keeper-", 0) != 0 || !EndsWith(name, ".lock")) continue;
        // Taken before it goes: a keeper's own lock is never removed.
        UniqueFd lock{OpenPlainFile(spoolFd, name)};
        if (lock.fd >= 0 && flock(lock.fd, LOCK_EX | LOCK_NB) == 0) unlinkat(spoolFd, name.c_str(), 0);
    }
}

bool KeeperHolds(int spoolFd, const UsageRecord& record) {
    if (record.ownerPid <= 0) return false;
    UniqueFd lock{OpenPlainFile(spoolFd, KeeperLockName(record.ownerPid, record.ownerStart))};
    return lock.fd >= 0 && flock(lock.fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

KeeperLock::~KeeperLock() {
    if (m_fd >= 0) close(m_fd);
}

void KeeperLock::Hold(int spoolFd, int ownerPid, uint64_t ownerStart, mode_t mode) {
    m_name = KeeperLockName(ownerPid, ownerStart);
    for (int attempt = 0; attempt < 5; ++attempt) {
        struct stat held {}, named {};
        if (m_fd >= 0 && fstat(m_fd, &held) == 0 && fstatat(spoolFd, m_name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            return;
        }
        if (m_fd >= 0) close(m_fd);
        m_fd = openat(spoolFd, m_name.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
        struct stat st {};
        if (m_fd < 0 || fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode) || flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (m_fd >= 0) close(m_fd);
            m_fd = -1;
            return;
        }
        fchmod(m_fd, mode);
    }
}

void KeeperLock::Release(int spoolFd) {
    if (m_fd < 0) return;
    if (spoolFd >= 0) unlinkat(spoolFd, m_name.c_str(), 0);
    close(m_fd);
    m_fd = -1;
}

}  // namespace vr31k
