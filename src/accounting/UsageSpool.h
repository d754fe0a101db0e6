#pragma once
// Connections that ended where no running utility recorded them. pppd's ip-down hook
// leaves a small record in the data folder's spool for each link over the card that
// the utility did not dial (`pppd call vr31k-utility`, another dialler); and a program
// watching a connection keeps a "live" record of its figures there while it lasts, so a
// kill, a crash or a power cut loses at most the bytes since the last save. The next
// program that opens the history imports each record once (a live one only when the
// program that kept it is gone), as a row with the charge it has under the plan.
// Records are text files of "key=value" lines under a version line; anything else in
// the spool is kept aside and reported, never imported.
#include "accounting/ChargeAccounting.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace vr31k {

inline constexpr const char* kSpoolFolderName = "spool";
// A record is a few hundred bytes; anything longer is not one of ours.
inline constexpr size_t kMaxUsageRecordBytes = 4096;

struct UsageRecord {
    std::string source = "pppd";  // who saw the link end: "pppd", or "live" (kept while up)
    std::string entry;            // the history's entry name: the peer, or the interface
    std::string interfaceName;
    std::string tty;
    int64_t end = 0;  // Unix seconds
    int64_t durationSeconds = 0;
    int64_t sent = 0;
    int64_t recv = 0;
    // "live" records only: who keeps it (pid and its start in clock ticks since boot; a
    // keeper that runs holds the spool's "keeper-<pid>-<start>.lock", and 0 is a record
    // its keeper let go), and which link it is (the boot, the interface's index): a link that outlived its
    // keeper is counted by the program that adopts it, from the interface's counters.
    int ownerPid = 0;
    uint64_t ownerStart = 0;
    std::string boot;
    int64_t interfaceIndex = 0;
    // A live record holding the row's own figures (its keeper was writing the row): only
    // such a record can be in the history already.
    bool final = false;
};

// What the import and the live record ask of the system. Whether a live record's keeper
// runs is not among them: its lock in the spool proves it.
struct SpoolSystem {
    // Whether the link of `record` (its boot, interface and index) is up now.
    std::function<bool(const UsageRecord& record)> linkUp;
    // Fills in the boot and the interface's index of a link by its interface name.
    std::function<void(UsageRecord& record)> identifyLink;
};

std::string FormatUsageRecord(const UsageRecord& record);
// Every key once, numbers in range, nothing unknown; nullopt with `problem` said.
std::optional<UsageRecord> ParseUsageRecord(std::string_view text, std::string& problem);

// The spool inside `dataFolder`, opened without following a link at its name (and
// made with `mode` when `create` and it is missing); a descriptor, or -1 with errno.
int OpenSpoolFolder(const std::string& dataFolder, bool create, mode_t mode);
// Writes `record` as a new file of the spool (a temporary file, flushed, then renamed
// to a name nobody has: never through a link, never half-written). 0 or an errno.
int WriteUsageRecord(int spoolFd, const UsageRecord& record, mode_t mode);

struct SpoolImport {
    int imported = 0;     // rows written
    int alreadyIn = 0;    // records whose row an interrupted import had written
    std::vector<std::string> keptAside;  // "<name>.bad" files, with why
    int failure = 0;      // the history's code when a row could not be written
    int left = 0;         // records left for the next open (the cap, or the lock taken)
};

// How much one import takes on: the folder's lock is held for a batch at a time (at
// most `batch` records and `batchTime`), with a pause between batches for the other
// programs waiting on it; one open imports at most `perOpen` records.
struct SpoolImportLimits {
    int batch = 200;
    std::chrono::milliseconds batchTime{250};
    std::chrono::milliseconds pause{30};
    int perOpen = 1000;
};

// Imports the records of the spool of `dataFolder` into the history of `accounting`
// (open), under the folder's lock; a record is removed only once its row is written,
// and a row already in the history is not written again. A live record whose keeper
// runs, or whose link is still up, waits. Malformed records are renamed "<name>.bad"
// (or another free name). The period's totals are reloaded when anything was imported.
SpoolImport ImportUsageSpool(const std::string& dataFolder, ChargeAccounting& accounting,
                             const SpoolSystem& system = {}, const SpoolImportLimits& limits = {});
// The live records whose keepers run: the connections being watched now, with the
// figures and time (`end`) of their last save.
std::vector<UsageRecord> RunningLiveRecords(const std::string& dataFolder);
// Removes the live records of `link` whose keepers are gone: the program that adopted
// the link counts it whole from the interface's counters. How many it removed.
int ClaimLiveRecords(const std::string& dataFolder, const UsageRecord& link);

// The live record of the connection this program watches: saved at most once a second,
// at least every 30 s and after every MiB moved, by a thread of its own (a save
// flushes to disk, which must not hold up the connection tick). At the connection's
// end Finish saves the row's own figures before the row is written and Drop removes
// the record after, so a kill between the two leaves a record the import finds already
// in the history.
class LiveUsageRecord {
public:
    LiveUsageRecord();
    ~LiveUsageRecord();
    LiveUsageRecord(const LiveUsageRecord&) = delete;
    LiveUsageRecord& operator=(const LiveUsageRecord&) = delete;

    // The data folder whose spool holds the record and this program's identity; until
    // then nothing is saved.
    void Configure(std::string dataFolder, int ownerPid, uint64_t ownerStart);
    // A connection's figures on each tick (`now` in Unix seconds); starts a record for
    // a new connection.
    void Update(const UsageRecord& figures, int64_t now);
    // Saves `figures` now, on the caller's thread; true when they are on disk.
    bool Finish(const UsageRecord& figures);
    // The connection is recorded: its live record goes.
    void Drop();
    // The connection could not be recorded: its record stays, let go for the next import
    // (this program's own too), and the next connection gets a record of its own.
    void Keep();
    // Saves written so far (benchmarks, tests).
    uint64_t Saves() const;
    // When the figures on disk were seen (Unix seconds); 0 before the first save.
    int64_t LastSaved() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};


}  // namespace vr31k
