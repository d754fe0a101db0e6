#include "accounting/UsageSpool.h"

#include "accounting/HistoryRowRules.h"
#include "common/FolderLock.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vr31k {

namespace {

constexpr std::string_view kHeader = "vr31k-usage 1";
constexpr std::string_view kRecordSuffix = ".rec";
// Temporary files of writers killed before their rename are removed after a day.
constexpr time_t kStaleTemporarySeconds = 86400;

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) close(fd);
    }
};

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::optional<int64_t> Number(std::string_view text, int64_t max) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > max) return std::nullopt;
    return value;
}

// Printable ASCII without '=' or a line break: what an interface or a tty is called.
bool PlainText(std::string_view text) {
    return text.size() <= 255 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7f && c != '='; });
}

std::string RandomName(std::string_view prefix, std::string_view suffix) {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[8] = {};
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        const auto t = static_cast<unsigned long>(clock());
        for (size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>((t >> (i * 3)) + i * 37);
    }
    std::string name(prefix);
    for (unsigned char b : bytes) name += kChars[b % (sizeof kChars - 1)];
    return name += suffix;
}

std::vector<std::string> SpoolNames(int spoolFd) {
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

// The record at `name`, read without following a link; empty with `problem` said.
std::optional<UsageRecord> ReadRecord(int spoolFd, const std::string& name, std::string& problem) {
    Fd file{openat(spoolFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
    struct stat st {};
    if (file.fd < 0 || fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        problem = "not a regular file";
        return std::nullopt;
    }
    if (static_cast<size_t>(st.st_size) > kMaxUsageRecordBytes) {
        problem = "larger than a record";
        return std::nullopt;
    }
    std::string text(static_cast<size_t>(st.st_size) + 1, '\0');
    const ssize_t n = read(file.fd, text.data(), text.size());
    if (n < 0 || static_cast<size_t>(n) > kMaxUsageRecordBytes) {
        problem = n < 0 ? "unreadable" : "larger than a record";
        return std::nullopt;
    }
    text.resize(static_cast<size_t>(n));
    return ParseUsageRecord(text, problem);
}

void RemoveStaleTemporaries(int spoolFd, const std::vector<std::string>& names) {
    const time_t now = time(nullptr);
    for (const std::string& name : names) {
        struct stat st {};
        if (name.rfind(".rec-", 0) == 0 && fstatat(spoolFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            now - st.st_mtime > kStaleTemporarySeconds) {
            unlinkat(spoolFd, name.c_str(), 0);
        }
    }
}

}  // namespace

std::string FormatUsageRecord(const UsageRecord& r) {
    std::string text(kHeader);
    text += "\nsource=" + r.source + "\nentry=" + r.entry + "\ninterface=" + r.interfaceName + "\ntty=" + r.tty +
            "\nend=" + std::to_string(r.end) + "\nduration=" + std::to_string(r.durationSeconds) +
            "\nsent=" + std::to_string(r.sent) + "\nrecv=" + std::to_string(r.recv) + "\n";
    return text;
}

std::optional<UsageRecord> ParseUsageRecord(std::string_view text, std::string& problem) {
    if (text.substr(0, kHeader.size() + 1) != std::string(kHeader) + "\n") {
        problem = "no \"" + std::string(kHeader) + "\" line: not a usage record";
        return std::nullopt;
    }
    text.remove_prefix(kHeader.size() + 1);
    UsageRecord record;
    // Each key's field, and whether it was given.
    struct Key {
        std::string_view name;
        std::string* text;
        int64_t* number;
        int64_t max;
        bool seen;
    } keys[] = {
        {"source", &record.source, nullptr, 0, false},
        {"entry", &record.entry, nullptr, 0, false},
        {"interface", &record.interfaceName, nullptr, 0, false},
        {"tty", &record.tty, nullptr, 0, false},
        {"end", nullptr, &record.end, int64_t{253402300799}, false},  // 9999-12-31
        {"duration", nullptr, &record.durationSeconds, kMaxHistoryDurationSeconds, false},
        {"sent", nullptr, &record.sent, kMaxHistoryBytes, false},
        {"recv", nullptr, &record.recv, kMaxHistoryBytes, false},
    };
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        if (eol == std::string_view::npos) {
            problem = "the last line is cut off";
            return std::nullopt;
        }
        const std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol + 1);
        const size_t eq = line.find('=');
        const std::string_view name = line.substr(0, eq);
        Key* key = std::find_if(std::begin(keys), std::end(keys), [&](const Key& k) { return k.name == name; });
        if (eq == std::string_view::npos || key == std::end(keys) || key->seen) {
            problem = "line \"" + std::string(line.substr(0, 40)) + "\" is not a field of a record or comes twice";
            return std::nullopt;
        }
        key->seen = true;
        const std::string_view value = line.substr(eq + 1);
        if (key->number != nullptr) {
            const auto number = Number(value, key->max);
            if (!number) {
                problem = std::string(name) + " is not a number in range";
                return std::nullopt;
            }
            *key->number = *number;
        } else {
            *key->text = std::string(value);
        }
    }
    for (const Key& k : keys) {
        if (!k.seen) {
            problem = "no " + std::string(k.name);
            return std::nullopt;
        }
    }
    if (record.source != "pppd") {
        problem = "source \"" + record.source.substr(0, 40) + "\" is not known";
    } else if (const std::string why = HistoryEntryNameProblem(record.entry); !why.empty()) {
        problem = "entry: " + why;
    } else if ((!record.interfaceName.empty() && !PlainText(record.interfaceName)) ||
               (!record.tty.empty() && !PlainText(record.tty))) {
        problem = "the interface or tty holds characters no device name has";
    } else {
        return record;
    }
    return std::nullopt;
}

int OpenSpoolFolder(const std::string& dataFolder, bool create, mode_t mode) {
    Fd folder{open(dataFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
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
    std::string temporary;
    Fd file;
    for (int attempt = 0; attempt < 20 && file.fd < 0; ++attempt) {
        temporary = RandomName(".rec-", "");
        file.fd = openat(spoolFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (file.fd < 0 && errno != EEXIST) return errno;
    }
    if (file.fd < 0) return EEXIST;
    int error = 0;
    if (write(file.fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        error = errno != 0 ? errno : EIO;
    } else if (fchmod(file.fd, mode) != 0 || fsync(file.fd) != 0) {
        error = errno;
    }
    for (int attempt = 0; error == 0 && attempt < 20; ++attempt) {
        const std::string name = RandomName("pppd-" + std::to_string(record.end) + "-", kRecordSuffix);
        if (renameat2(spoolFd, temporary.c_str(), spoolFd, name.c_str(), RENAME_NOREPLACE) == 0) {
            fsync(spoolFd);
            return 0;
        }
        if (errno != EEXIST) error = errno;
    }
    unlinkat(spoolFd, temporary.c_str(), 0);
    return error != 0 ? error : EEXIST;
}

SpoolImport ImportUsageSpool(const std::string& dataFolder, ChargeAccounting& accounting) {
    SpoolImport result;
    Fd spool{OpenSpoolFolder(dataFolder, false, 0)};
    if (spool.fd < 0 || !accounting.History().IsOpen()) return result;  // nothing dialled outside yet
    const std::vector<std::string> names = SpoolNames(spool.fd);
    if (std::none_of(names.begin(), names.end(), [](const std::string& n) { return EndsWith(n, kRecordSuffix); })) {
        return result;
    }
    // Two programs opening the history at once import each record once between them.
    const FolderLock lock(dataFolder);
    if (lock.TimedOut()) return result;  // the next open imports them
    RemoveStaleTemporaries(spool.fd, names);
    for (const std::string& name : SpoolNames(spool.fd)) {
        if (name[0] == '.' || !EndsWith(name, kRecordSuffix)) continue;
        std::string problem;
        std::optional<UsageRecord> record = ReadRecord(spool.fd, name, problem);
        if (record) {
            HistoryRow probe;
            probe.entry = record->entry;
            probe.end = OleFromTime(static_cast<time_t>(record->end));
            probe.duration = static_cast<double>(record->durationSeconds) / kSecondsPerDay;
            probe.sent = record->sent;
            probe.recv = record->recv;
            if (accounting.History().HasRow(probe)) {
                ++result.alreadyIn;
                unlinkat(spool.fd, name.c_str(), 0);
                continue;
            }
            const int written = accounting.RecordEndedConnection(probe.entry, probe.end, record->durationSeconds,
                                                                 record->sent, record->recv, problem);
            if (written == kDbOk) {
                ++result.imported;
                unlinkat(spool.fd, name.c_str(), 0);
                continue;
            }
            if (written != kDbBadArgument) {
                result.failure = written;  // the record stays for the next open
                break;
            }
        }
        const std::string aside = name + ".bad";
        if (renameat2(spool.fd, name.c_str(), spool.fd, aside.c_str(), RENAME_NOREPLACE) == 0) {
            result.keptAside.push_back(aside + ": " + problem);
        }
    }
    if (result.imported > 0 || result.alreadyIn > 0) fsync(spool.fd);
    if (result.imported > 0) accounting.RecomputePeriod();
    return result;
}

}  // namespace vr31k
