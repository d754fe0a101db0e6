#pragma once
// Connections that ended where no running utility recorded them become rows: pppd's
// ip-down hook leaves a record in the spool for each link over the card the utility did
// not dial, and a program watching a connection keeps a live record there while it
// lasts, so a kill, a crash or a power cut loses at most the bytes since the last save.
// The next program that opens the history imports each record once (a live one only
// when its keeper is gone and its link is down), as a row with the charge it has under
// the plan. Anything in the spool that is not a record of ours is kept aside and
// reported, never imported.
#include "accounting/ChargeAccounting.h"
#include "accounting/UsageRecord.h"
#include "platform/LinkIdentity.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vr31k {

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

// What one import outcome does to a record of the spool.
enum class RecordFate { Waits, Imported, AlreadyIn, KeptAside, Stays };

// Keeps the record `name` of the spool open at `spoolFd` aside (UsageSpool.h), told in
// result.keptAside with `problem`.
RecordFate KeepAside(int spoolFd, const std::string& name, const std::string& problem, SpoolImport& result);

// Runs `import` over the spool's records `names` (of the spool open at `spoolFd`), under
// the folder's lock in the batches `limits` allow, counting the fates into `result`; a
// record that Stays ends the run (`import` set result.failure).
void ImportInBatches(const std::string& dataFolder, int spoolFd, const std::vector<std::string>& names,
                     const SpoolImportLimits& limits, SpoolImport& result,
                     const std::function<RecordFate(const std::string& name)>& import);

// Whether the link a live record names (its boot, interface and index) is up now, as
// `identify` tells; never without it.
bool RecordedLinkUp(const UsageRecord& record, const LinkIdentifier& identify);

// Imports the records of the spool of `dataFolder` into the history of `accounting`
// (open), under the folder's lock; a record is removed only once its row is written,
// and a row already in the history is not written again. A live record whose keeper
// runs, or whose link is still up, waits. Malformed records are kept aside. The
// period's totals are reloaded when anything was imported.
SpoolImport ImportUsageSpool(const std::string& dataFolder, ChargeAccounting& accounting,
                             const LinkIdentifier& identify = {}, const SpoolImportLimits& limits = {});
// The live records whose keepers run: the connections being watched now, with the
// figures and time (`end`) of their last save.
std::vector<UsageRecord> RunningLiveRecords(const std::string& dataFolder);
// Removes the live records of `link` whose keepers are gone: the program that adopted
// the link counts it whole from the interface's counters. How many it removed.
int ClaimLiveRecords(const std::string& dataFolder, const UsageRecord& link);

}  // namespace vr31k
