#include "accounting/ProgramImport.h"

#include "accounting/UsageSpool.h"
#include "common/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace vr31k {

namespace {

// A link's reader writes at least every 10 s and once more, final, at ip-down: a record
// that is not final is left this long after its link went, for that last write.
constexpr int64_t kFinalWriteSeconds = 60;

bool LinkUp(const ProgramUsageRecord& record, const LinkIdentifier& identify) {
    if (!identify) return false;
    const LinkIdentity now = identify(record.interfaceName);
    return now.boot == record.boot && now.index == record.interfaceIndex;
}

RecordFate ImportOne(int spoolFd, const std::string& name, CDbHistoryCtrl& history, const LinkIdentifier& identify,
                     int64_t now, SpoolImport& result) {
    std::string problem;
    const std::optional<ProgramUsageRecord> record = ReadProgramUsageRecord(spoolFd, name, problem);
    if (!record) return KeepAside(spoolFd, name, problem, result);
    if (name != ProgramRecordName(record->boot, record->interfaceIndex)) {
        return KeepAside(spoolFd, name, "its name is not its link's", result);
    }
    if (!record->final && (LinkUp(*record, identify) || now - record->updated < kFinalWriteSeconds)) {
        return RecordFate::Waits;  // its reader still writes it
    }
    FoundLink link;
    if (history.FindConnectionLink(record->boot, record->interfaceIndex, record->interfaceName, record->updated,
                                   kProgramMatchSeconds, link) != kDbOk) {
        if (now - record->updated < kProgramOrphanSeconds) return RecordFate::Waits;  // its row comes later
        return KeepAside(spoolFd, name, "no connection of the history was counted on its link", result);
    }
    if (link.hasPrograms) {
        unlinkat(spoolFd, name.c_str(), 0);
        return RecordFate::AlreadyIn;
    }
    std::vector<ProgramFigures> programs;
    for (const ProgramUsage& usage : record->programs) programs.push_back({usage, std::nullopt});
    if (const int stored = history.StoreConnectionPrograms(link.id, std::move(programs)); stored != kDbOk) {
        result.failure = stored;  // the record stays for the next open
        return RecordFate::Stays;
    }
    unlinkat(spoolFd, name.c_str(), 0);
    return RecordFate::Imported;
}

}  // namespace

void NoteLink(CDbHistoryCtrl& history, const HistoryRow& row, const UsageRecord& figures,
              std::optional<int64_t> charge) {
    history.NoteConnectionLink(
        {row.entry, row.end, figures.boot, figures.interfaceIndex, figures.interfaceName, charge});
}

SpoolImport ImportProgramUsage(const std::string& dataFolder, CDbHistoryCtrl& history, const LinkIdentifier& identify,
                               int64_t now, const SpoolImportLimits& limits) {
    SpoolImport result;
    UniqueFd spool{OpenSpoolFolder(dataFolder, false, 0)};
    if (spool.fd < 0 || !history.IsOpen()) return result;
    ImportInBatches(dataFolder, spool.fd, SpoolProgramRecordNames(spool.fd), limits, result,
                    [&](const std::string& name) { return ImportOne(spool.fd, name, history, identify, now, result); });
    return result;
}

std::optional<ProgramUsageRecord> RunningLinkPrograms(const std::string& dataFolder, const std::string& boot,
                                                      int64_t index, std::string& problem) {
    UniqueFd spool{OpenSpoolFolder(dataFolder, false, 0)};
    if (spool.fd < 0 || boot.empty() || index == 0) return std::nullopt;
    std::optional<ProgramUsageRecord> record = ReadProgramUsageRecord(spool.fd, ProgramRecordName(boot, index), problem);
    if (!record && errno == ENOENT) problem.clear();
    return record;
}

std::vector<ProgramFigures> SpooledPrograms(const std::string& dataFolder) {
    std::vector<ProgramFigures> programs;
    UniqueFd spool{OpenSpoolFolder(dataFolder, false, 0)};
    if (spool.fd < 0) return programs;
    for (const std::string& name : SpoolProgramRecordNames(spool.fd)) {
        std::string problem;
        if (const auto record = ReadProgramUsageRecord(spool.fd, name, problem)) {
            for (const ProgramUsage& usage : record->programs) programs.push_back({usage, std::nullopt});
        }
    }
    return programs;
}

std::vector<ProgramUsage> TopPrograms(std::vector<ProgramUsage> programs, size_t count) {
    const auto used = [](const ProgramUsage& p) { return p.sent + p.recv; };
    std::stable_sort(programs.begin(), programs.end(),
                     [&](const ProgramUsage& a, const ProgramUsage& b) { return used(a) > used(b); });
    if (programs.size() > count) programs.resize(count);
    return programs;
}

}  // namespace vr31k
