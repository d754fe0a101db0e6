#include "accounting/SpoolImport.h"

#include "accounting/ProgramImport.h"
#include "accounting/UsageSpool.h"
#include "common/FolderLock.h"
#include "common/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vr31k {

namespace {

constexpr const char* kLiveSource = "live";

bool SameLink(const UsageRecord& a, const UsageRecord& b) {
    return a.boot == b.boot && a.interfaceName == b.interfaceName && a.interfaceIndex == b.interfaceIndex;
}

RecordFate ImportRecord(int spoolFd, const std::string& name, ChargeAccounting& accounting,
                        const LinkIdentifier& identify, SpoolImport& result) {
    std::string problem;
    std::optional<UsageRecord> record = ReadUsageRecord(spoolFd, name, problem);
    if (record && record->source == kLiveSource &&
        (KeeperHolds(spoolFd, *record) || RecordedLinkUp(*record, identify))) {
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
        HistoryRow row;
        const int written = accounting.RecordEndedConnection(probe.entry, probe.end, record->durationSeconds,
                                                             record->sent, record->recv, problem, &row);
        if (written == kDbOk) {
            NoteLink(accounting.History(), row, *record, accounting.LastConnectionCharge());
            unlinkat(spoolFd, name.c_str(), 0);
            return RecordFate::Imported;
        }
        if (written != kDbBadArgument) {
            result.failure = written;  // the record stays for the next open
            return RecordFate::Stays;
        }
    }
    return KeepAside(spoolFd, name, problem, result);
}

}  // namespace

RecordFate KeepAside(int spoolFd, const std::string& name, const std::string& problem, SpoolImport& result) {
    std::string aside;
    if (KeepRecordAside(spoolFd, name, aside)) {
        result.keptAside.push_back(aside + ": " + problem);
    } else {
        result.keptAside.push_back(name + " (could not be renamed: " + std::strerror(errno) + "): " + problem);
    }
    return RecordFate::KeptAside;
}

bool RecordedLinkUp(const UsageRecord& record, const LinkIdentifier& identify) {
    if (!identify || record.interfaceIndex == 0) return false;
    const LinkIdentity now = identify(record.interfaceName);
    return now.boot == record.boot && now.index == record.interfaceIndex;
}

SpoolImport ImportUsageSpool(const std::string& dataFolder, ChargeAccounting& accounting,
                             const LinkIdentifier& identify, const SpoolImportLimits& limits) {
    SpoolImport result;
    UniqueFd spool{OpenSpoolFolder(dataFolder, false, 0)};
    if (spool.fd < 0 || !accounting.History().IsOpen()) return result;  // nothing dialled outside yet
    const std::vector<std::string> names = SpoolRecordNames(spool.fd);
    ImportInBatches(dataFolder, spool.fd, names, limits, result, [&](const std::string& name) {
        return ImportRecord(spool.fd, name, accounting, identify, result);
    });
    if (result.imported > 0) accounting.RecomputePeriod();
    return result;
}

void ImportInBatches(const std::string& dataFolder, int spoolFd, const std::vector<std::string>& names,
                     const SpoolImportLimits& limits, SpoolImport& result,
                     const std::function<RecordFate(const std::string& name)>& import) {
    if (names.empty()) return;
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
        if (next == 0) RemoveSpoolLeftovers(spoolFd);
        const auto batchEnd = std::chrono::steady_clock::now() + limits.batchTime;
        for (int inBatch = 0; next < names.size() && inBatch < limits.batch && handled < limits.perOpen &&
                              std::chrono::steady_clock::now() < batchEnd;
             ++next, ++inBatch) {
            // Another importer may have taken it since the listing.
            struct stat st {};
            if (fstatat(spoolFd, names[next].c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            const RecordFate fate = import(names[next]);
            if (fate == RecordFate::Stays) break;
            if (fate != RecordFate::Waits) ++handled;
            if (fate == RecordFate::Imported) ++result.imported;
            if (fate == RecordFate::AlreadyIn) ++result.alreadyIn;
            changed = changed || fate == RecordFate::Imported || fate == RecordFate::AlreadyIn;
        }
    }
    if (changed) fsync(spoolFd);
}

std::vector<UsageRecord> RunningLiveRecords(const std::string& dataFolder) {
    std::vector<UsageRecord> running;
    UniqueFd spool{OpenSpoolFolder(dataFolder, false, 0)};
    if (spool.fd < 0) return running;
    for (const std::string& name : SpoolRecordNames(spool.fd)) {
        if (!IsLiveRecordName(name)) continue;
        std::string problem;
        std::optional<UsageRecord> record = ReadUsageRecord(spool.fd, name, problem);
        if (record && record->source == kLiveSource && KeeperHolds(spool.fd, *record)) {
            running.push_back(std::move(*record));
        }
    }
    return running;
}

int ClaimLiveRecords(const std::string& dataFolder, const UsageRecord& link) {
    UniqueFd spool{OpenSpoolFolder(dataFolder, false, 0)};
    if (spool.fd < 0) return 0;
    int claimed = 0;
    for (const std::string& name : SpoolRecordNames(spool.fd)) {
        if (!IsLiveRecordName(name)) continue;
        std::string problem;
        const std::optional<UsageRecord> record = ReadUsageRecord(spool.fd, name, problem);
        if (record && record->source == kLiveSource && SameLink(*record, link) && !KeeperHolds(spool.fd, *record) &&
            unlinkat(spool.fd, name.c_str(), 0) == 0) {
            ++claimed;
        }
    }
    if (claimed > 0) fsync(spool.fd);
    return claimed;
}

}  // namespace vr31k
