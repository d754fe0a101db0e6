#include "accounting/UsageSpool.h"

#include "accounting/HistoryRowRules.h"
#include "common/AtomicFileWriter.h"
#include "common/ByteCount.h"
#include "common/FolderLock.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <condition_variable>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <thread>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vr31k {

namespace {

constexpr std::string_view kHeader = "vr31k-usage 1";
constexpr std::string_view kRecordSuffix = ".rec";
constexpr const char* kLiveSource = "live";
constexpr int64_t kMaxPid = 4194304;  // the kernel's highest pid_max
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

// A live record's keeper holds an flock on a lock file of its own in the spool for as
// long as it runs: whether a keeper runs is proved by that lock, which every member can
// try, never inferred from /proc (a /proc mounted with hidepid hides other users'
// processes, and a pid named in a record proves nothing).
std::string KeeperLockName(int ownerPid, uint64_t ownerStart) {
    return "keeper-" + std::to_string(ownerPid) + "-" + std::to_string(ownerStart) + ".lock";
}

bool KeeperHolds(int spoolFd, const UsageRecord& record) {
    if (record.ownerPid <= 0) return false;  // a record its keeper let go
    Fd lock{openat(spoolFd, KeeperLockName(record.ownerPid, record.ownerStart).c_str(),
                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
    struct stat st {};
    if (lock.fd < 0 || fstat(lock.fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return flock(lock.fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

// Lock files whose keepers are gone (killed, or ended without a record left); taken
// before removal, so a keeper's own lock is never removed.
void RemoveDeadKeeperLocks(int spoolFd, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (name.rfind("keeper-", 0) != 0 || !EndsWith(name, ".lock")) continue;
        Fd lock{openat(spoolFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
        struct stat st {};
        if (lock.fd >= 0 && fstat(lock.fd, &st) == 0 && S_ISREG(st.st_mode) &&
            flock(lock.fd, LOCK_EX | LOCK_NB) == 0) {
            unlinkat(spoolFd, name.c_str(), 0);
        }
    }
}

// A name for a record kept aside that no earlier one has: "<name>.bad", else with a
// random part, so that a name taken never leaves a bad record in the spool.
bool KeepAside(int spoolFd, const std::string& name, std::string& aside) {
    aside = name + ".bad";
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (renameat2(spoolFd, name.c_str(), spoolFd, aside.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno != EEXIST) return false;
        aside = RandomName(name + ".", ".bad");
    }
    return false;
}

}  // namespace

std::string FormatUsageRecord(const UsageRecord& r) {
    std::string text(kHeader);
    text += "\nsource=" + r.source + "\nentry=" + r.entry + "\ninterface=" + r.interfaceName + "\ntty=" + r.tty +
            "\nend=" + std::to_string(r.end) + "\nduration=" + std::to_string(r.durationSeconds) +
            "\nsent=" + std::to_string(r.sent) + "\nrecv=" + std::to_string(r.recv) + "\n";
    if (r.source == kLiveSource) {
        text += "owner=" + std::to_string(r.ownerPid) + "\nowner_start=" + std::to_string(r.ownerStart) +
                "\nboot=" + r.boot + "\nifindex=" + std::to_string(r.interfaceIndex) +
                "\nfinal=" + (r.final ? "1" : "0") + "\n";
    }
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
    int64_t ownerPid = 0, ownerStart = 0, final = 0;
    struct Key {
        std::string_view name;
        std::string* text;
        int64_t* number;
        int64_t max;
        bool live;  // only in, and required in, a live record
        bool seen;
    } keys[] = {
        {"source", &record.source, nullptr, 0, false, false},
        {"entry", &record.entry, nullptr, 0, false, false},
        {"interface", &record.interfaceName, nullptr, 0, false, false},
        {"tty", &record.tty, nullptr, 0, false, false},
        {"end", nullptr, &record.end, int64_t{253402300799}, false, false},  // 9999-12-31
        {"duration", nullptr, &record.durationSeconds, kMaxHistoryDurationSeconds, false, false},
        {"sent", nullptr, &record.sent, kMaxHistoryBytes, false, false},
        {"recv", nullptr, &record.recv, kMaxHistoryBytes, false, false},
        {"owner", nullptr, &ownerPid, kMaxPid, true, false},
        {"owner_start", nullptr, &ownerStart, std::numeric_limits<int64_t>::max(), true, false},
        {"boot", &record.boot, nullptr, 0, true, false},
        {"ifindex", nullptr, &record.interfaceIndex, std::numeric_limits<int32_t>::max(), true, false},
        {"final", nullptr, &final, 1, true, false},
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
    const bool live = record.source == kLiveSource;
    for (const Key& k : keys) {
        if (k.seen != (!k.live || live)) {
            problem = (k.seen ? "a field of a live record in another: " : "no ") + std::string(k.name);
            return std::nullopt;
        }
    }
    record.ownerPid = static_cast<int>(ownerPid);
    record.ownerStart = static_cast<uint64_t>(ownerStart);
    record.final = final != 0;
    if (record.source != "pppd" && !live) {
        problem = "source \"" + record.source.substr(0, 40) + "\" is not known";
    } else if (const std::string why = HistoryEntryNameProblem(record.entry); !why.empty()) {
        problem = "entry: " + why;
    } else if ((!record.interfaceName.empty() && !PlainText(record.interfaceName)) ||
               (!record.tty.empty() && !PlainText(record.tty)) || (!record.boot.empty() && !PlainText(record.boot))) {
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

namespace {

// `text` in a new temporary file of the spool, flushed to disk; its name, or empty with
// `error` set.
std::string WriteTemporary(int spoolFd, const std::string& text, mode_t mode, int& error) {
    std::string temporary;
    Fd file;
    for (int attempt = 0; attempt < 20 && file.fd < 0; ++attempt) {
        temporary = RandomName(".rec-", "");
        file.fd = openat(spoolFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (file.fd < 0 && errno != EEXIST) break;
    }
    error = 0;
    if (file.fd < 0) {
        error = errno != 0 ? errno : EEXIST;
        return {};
    }
    if (write(file.fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        error = errno != 0 ? errno : EIO;
    } else if (fchmod(file.fd, mode) != 0 || fsync(file.fd) != 0) {
        error = errno;
    }
    if (error == 0) return temporary;
    unlinkat(spoolFd, temporary.c_str(), 0);
    return {};
}

}  // namespace

int WriteUsageRecord(int spoolFd, const UsageRecord& record, mode_t mode) {
    int error = 0;
    const std::string temporary = WriteTemporary(spoolFd, FormatUsageRecord(record), mode, error);
    for (int attempt = 0; !temporary.empty() && attempt < 20; ++attempt) {
        const std::string name = RandomName("pppd-" + std::to_string(record.end) + "-", kRecordSuffix);
        if (renameat2(spoolFd, temporary.c_str(), spoolFd, name.c_str(), RENAME_NOREPLACE) == 0) {
            fsync(spoolFd);
            return 0;
        }
        if (errno != EEXIST) error = errno;
        if (error != 0) break;
    }
    if (!temporary.empty()) unlinkat(spoolFd, temporary.c_str(), 0);
    return error != 0 ? error : EEXIST;
}

namespace {

bool SameLink(const UsageRecord& a, const UsageRecord& b) {
    return a.boot == b.boot && a.interfaceName == b.interfaceName && a.interfaceIndex == b.interfaceIndex;
}

}  // namespace

namespace {

// What one import outcome does to a record.
enum class RecordFate { Waits, Imported, AlreadyIn, KeptAside, Stays };

RecordFate ImportRecord(int spoolFd, const std::string& name, ChargeAccounting& accounting,
                        const SpoolSystem& system, SpoolImport& result) {
    std::string problem;
    std::optional<UsageRecord> record = ReadRecord(spoolFd, name, problem);
    if (record && record->source == kLiveSource &&
        (KeeperHolds(spoolFd, *record) || (system.linkUp && system.linkUp(*record)))) {
        return RecordFate::Waits;  // its keeper records it, or whoever adopts the link
    }
    if (record) {
        HistoryRow probe;
        probe.entry = record->entry;
        probe.end = OleFromTime(static_cast<time_t>(record->end));
        probe.duration = static_cast<double>(record->durationSeconds) / kSecondsPerDay;
        probe.sent = record->sent;
        probe.recv = record->recv;
        // Periodic figures are never in the history: two short connections in one
        // second with the same bytes are two rows.
        if ((record->source != kLiveSource || record->final) && accounting.History().HasRow(probe)) {
            unlinkat(spoolFd, name.c_str(), 0);
            return RecordFate::AlreadyIn;
        }
        const int written = accounting.RecordEndedConnection(probe.entry, probe.end, record->durationSeconds,
                                                             record->sent, record->recv, problem);
        if (written == kDbOk) {
            unlinkat(spoolFd, name.c_str(), 0);
            return RecordFate::Imported;
        }
        if (written != kDbBadArgument) {
            result.failure = written;  // the record stays for the next open
            return RecordFate::Stays;
        }
    }
    std::string aside;
    if (KeepAside(spoolFd, name, aside)) {
        result.keptAside.push_back(aside + ": " + problem);
    } else {
        result.keptAside.push_back(name + " (could not be renamed: " + std::strerror(errno) + "): " + problem);
    }
    return RecordFate::KeptAside;
}

}  // namespace

SpoolImport ImportUsageSpool(const std::string& dataFolder, ChargeAccounting& accounting,
                             const SpoolSystem& system, const SpoolImportLimits& limits) {
    SpoolImport result;
    Fd spool{OpenSpoolFolder(dataFolder, false, 0)};
    if (spool.fd < 0 || !accounting.History().IsOpen()) return result;  // nothing dialled outside yet
    std::vector<std::string> names = SpoolNames(spool.fd);
    std::erase_if(names, [](const std::string& n) { return n[0] == '.' || !EndsWith(n, kRecordSuffix); });
    if (names.empty()) return result;
    // Two programs opening the history at once import each record once between them. The
    // folder's lock is held for one bounded batch at a time, so a long spool never keeps
    // the other programs of the folder waiting out their lock's time-out.
    bool changed = false;
    size_t next = 0;
    int handled = 0;
    while (next < names.size() && result.failure == 0) {
        if (handled >= limits.perOpen) {
            result.left = static_cast<int>(names.size() - next);
            break;
        }
        if (next > 0) std::this_thread::sleep_for(limits.pause);  // a waiter's turn
        const FolderLock lock(dataFolder);
        if (lock.TimedOut()) {  // the next open imports them
            result.left = static_cast<int>(names.size() - next);
            break;
        }
        if (next == 0) {
            const std::vector<std::string> all = SpoolNames(spool.fd);
            RemoveStaleTemporaries(spool.fd, all);
            RemoveDeadKeeperLocks(spool.fd, all);
        }
        const auto batchEnd = std::chrono::steady_clock::now() + limits.batchTime;
        for (int inBatch = 0; next < names.size() && inBatch < limits.batch && handled < limits.perOpen &&
                              std::chrono::steady_clock::now() < batchEnd;
             ++next, ++inBatch) {
            // Another importer may have taken it since the listing.
            struct stat st {};
            if (fstatat(spool.fd, names[next].c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            const RecordFate fate = ImportRecord(spool.fd, names[next], accounting, system, result);
            if (fate == RecordFate::Stays) break;
            if (fate != RecordFate::Waits) ++handled;
            if (fate == RecordFate::Imported) ++result.imported;
            if (fate == RecordFate::AlreadyIn) ++result.alreadyIn;
            changed = changed || fate == RecordFate::Imported || fate == RecordFate::AlreadyIn;
        }
    }
    if (changed) fsync(spool.fd);
    if (result.imported > 0) accounting.RecomputePeriod();
    return result;
}

std::vector<UsageRecord> RunningLiveRecords(const std::string& dataFolder) {
    std::vector<UsageRecord> running;
    Fd spool{OpenSpoolFolder(dataFolder, false, 0)};
    if (spool.fd < 0) return running;
    for (const std::string& name : SpoolNames(spool.fd)) {
        if (name.rfind("live-", 0) != 0 || !EndsWith(name, kRecordSuffix)) continue;
        std::string problem;
        std::optional<UsageRecord> record = ReadRecord(spool.fd, name, problem);
        if (record && record->source == kLiveSource && KeeperHolds(spool.fd, *record)) {
            running.push_back(std::move(*record));
        }
    }
    return running;
}

int ClaimLiveRecords(const std::string& dataFolder, const UsageRecord& link) {
    Fd spool{OpenSpoolFolder(dataFolder, false, 0)};
    if (spool.fd < 0) return 0;
    int claimed = 0;
    for (const std::string& name : SpoolNames(spool.fd)) {
        if (name.rfind("live-", 0) != 0 || !EndsWith(name, kRecordSuffix)) continue;
        std::string problem;
        const std::optional<UsageRecord> record = ReadRecord(spool.fd, name, problem);
        if (record && record->source == kLiveSource && SameLink(*record, link) && !KeeperHolds(spool.fd, *record) &&
            unlinkat(spool.fd, name.c_str(), 0) == 0) {
            ++claimed;
        }
    }
    if (claimed > 0) fsync(spool.fd);
    return claimed;
}

namespace {
constexpr int64_t kSaveEverySeconds = 30;
constexpr int64_t kSaveEveryBytes = int64_t{1} << 20;
constexpr int64_t kSaveAtMostEverySeconds = 1;
}  // namespace

// Shared between the owner's thread and the saving thread, all under `mutex`; `file`
// orders the writes of the two threads, and `generation` lets the saving thread drop a
// save that Finish or Drop overtook.
struct LiveUsageRecord::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::mutex file;
    std::string folder;
    int ownerPid = 0;
    uint64_t ownerStart = 0;
    std::string name;  // the current connection's record; empty between connections
    uint64_t sequence = 0;
    uint64_t generation = 0;
    std::optional<UsageRecord> pending;
    int64_t lastSaveTime = 0;
    int64_t lastSaveBytes = 0;
    uint64_t saves = 0;
    int64_t lastWritten = 0;
    std::optional<UsageRecord> finished;  // the row's own figures, saved by Finish
    bool stop = false;
    std::thread saver;
    // Under `file`: the keeper's lock (see KeeperHolds), taken at the first save.
    int keeperFd = -1;

    ~State() {
        if (keeperFd < 0) return;
        // Gone with this program: whatever records it leaves are a dead keeper's now.
        if (Fd spool{OpenSpoolFolder(folder, false, 0)}; spool.fd >= 0) {
            unlinkat(spool.fd, KeeperLockName(ownerPid, ownerStart).c_str(), 0);
        }
        close(keeperFd);
    }

    // Under `file`: holds the keeper's lock file in the spool, taking it anew when it was
    // removed or replaced meanwhile (an importer removes lock files nobody holds).
    void HoldKeeperLock(int spoolFd, mode_t mode) {
        const std::string lockName = KeeperLockName(ownerPid, ownerStart);
        for (int attempt = 0; attempt < 5; ++attempt) {
            struct stat held {}, named {};
            if (keeperFd >= 0 && fstat(keeperFd, &held) == 0 &&
                fstatat(spoolFd, lockName.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
                return;
            }
            if (keeperFd >= 0) close(keeperFd);
            keeperFd = openat(spoolFd, lockName.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
            if (keeperFd < 0) return;
            struct stat st {};
            if (fstat(keeperFd, &st) != 0 || !S_ISREG(st.st_mode) || flock(keeperFd, LOCK_EX | LOCK_NB) != 0) {
                close(keeperFd);
                keeperFd = -1;
                return;
            }
            fchmod(keeperFd, mode);
        }
    }

    // Under `file`: replaces the record `name` with `record`.
    bool Write(const std::string& recordName, const UsageRecord& record) {
        const mode_t mode = SharedFileMode(folder);
        Fd spool{OpenSpoolFolder(folder, true, (mode & S_IRWXG) != 0 ? 02770 : 0700)};
        if (spool.fd < 0) return false;
        if (record.ownerPid != 0) HoldKeeperLock(spool.fd, mode);
        int error = 0;
        const std::string temporary = WriteTemporary(spool.fd, FormatUsageRecord(record), mode, error);
        if (temporary.empty()) return false;
        if (renameat(spool.fd, temporary.c_str(), spool.fd, recordName.c_str()) != 0) {
            unlinkat(spool.fd, temporary.c_str(), 0);
            return false;
        }
        fsync(spool.fd);
        std::lock_guard lock(mutex);
        ++saves;
        lastWritten = record.end;
        return true;
    }

    void Run() {
        std::unique_lock lock(mutex);
        while (true) {
            wake.wait(lock, [this] { return stop || pending.has_value(); });
            if (stop) return;
            const UsageRecord record = *pending;
            pending.reset();
            const uint64_t taken = generation;
            const std::string recordName = name;
            lock.unlock();
            {
                std::lock_guard fileLock(file);
                bool current;
                {
                    std::lock_guard again(mutex);
                    current = taken == generation;
                }
                if (current) Write(recordName, record);
            }
            lock.lock();
        }
    }
};

LiveUsageRecord::LiveUsageRecord() : m_state(std::make_unique<State>()) {}

LiveUsageRecord::~LiveUsageRecord() {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stop = true;
    }
    m_state->wake.notify_all();
    if (m_state->saver.joinable()) m_state->saver.join();
}

void LiveUsageRecord::Configure(std::string dataFolder, int ownerPid, uint64_t ownerStart) {
    std::lock_guard lock(m_state->mutex);
    m_state->folder = std::move(dataFolder);
    m_state->ownerPid = ownerPid;
    m_state->ownerStart = ownerStart;
    if (!m_state->saver.joinable()) m_state->saver = std::thread([state = m_state.get()] { state->Run(); });
}

void LiveUsageRecord::Update(const UsageRecord& figures, int64_t now) {
    State& s = *m_state;
    std::unique_lock lock(s.mutex);
    if (s.folder.empty()) return;
    const int64_t bytes = AddSaturating(figures.sent, figures.recv);
    if (s.name.empty()) {
        // A connection's first figures are on disk before its first tick ends: a kill
        // right after it came up still finds it counted.
        s.name = "live-" + std::to_string(s.ownerPid) + "-" + std::to_string(++s.sequence) + "-" +
                 std::to_string(s.ownerStart) + std::string(kRecordSuffix);
        s.lastSaveTime = now;
        s.lastSaveBytes = bytes;
        UsageRecord record = figures;
        record.source = kLiveSource;
        record.ownerPid = s.ownerPid;
        record.ownerStart = s.ownerStart;
        const std::string recordName = s.name;
        ++s.generation;  // nothing older is pending, and nothing may overtake this save
        lock.unlock();
        std::lock_guard fileLock(s.file);
        s.Write(recordName, record);
        return;
    }
    const int64_t since = now - s.lastSaveTime;
    // A clock set back counts as a due save, never as a long wait.
    const bool due = since >= kSaveEverySeconds || since < 0 || bytes - s.lastSaveBytes >= kSaveEveryBytes;
    if (!due || (since >= 0 && since < kSaveAtMostEverySeconds)) return;
    UsageRecord record = figures;
    record.source = kLiveSource;
    record.ownerPid = s.ownerPid;
    record.ownerStart = s.ownerStart;
    s.pending = std::move(record);
    s.lastSaveTime = now;
    s.lastSaveBytes = bytes;
    s.wake.notify_one();
}

bool LiveUsageRecord::Finish(const UsageRecord& figures) {
    State& s = *m_state;
    std::string recordName;
    UsageRecord record = figures;
    {
        std::lock_guard lock(s.mutex);
        if (s.folder.empty() || s.name.empty()) return false;
        s.pending.reset();
        ++s.generation;
        recordName = s.name;
        record.source = kLiveSource;
        record.final = true;
        record.ownerPid = s.ownerPid;
        record.ownerStart = s.ownerStart;
        s.finished = record;
    }
    std::lock_guard fileLock(s.file);
    return s.Write(recordName, record);
}

void LiveUsageRecord::Drop() {
    State& s = *m_state;
    std::string recordName;
    {
        std::lock_guard lock(s.mutex);
        s.pending.reset();
        ++s.generation;
        recordName.swap(s.name);
        s.finished.reset();
    }
    if (recordName.empty()) return;
    std::lock_guard fileLock(s.file);
    Fd spool{OpenSpoolFolder(s.folder, false, 0)};
    if (spool.fd >= 0 && unlinkat(spool.fd, recordName.c_str(), 0) == 0) fsync(spool.fd);
}

void LiveUsageRecord::Keep() {
    State& s = *m_state;
    std::string recordName;
    std::optional<UsageRecord> finished;
    {
        std::lock_guard lock(s.mutex);
        s.pending.reset();
        ++s.generation;
        recordName.swap(s.name);
        finished.swap(s.finished);
    }
    if (recordName.empty() || !finished) return;
    // Let go of it: a record without a keeper is imported by the next open, this
    // program's own included (its history may open later).
    finished->ownerPid = 0;
    finished->ownerStart = 0;
    std::lock_guard fileLock(s.file);
    s.Write(recordName, *finished);
}

int64_t LiveUsageRecord::LastSaved() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->name.empty() ? 0 : m_state->lastWritten;
}

uint64_t LiveUsageRecord::Saves() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->saves;
}

}  // namespace vr31k
