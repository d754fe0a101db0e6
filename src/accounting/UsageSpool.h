#pragma once
// Connections that ended where no running utility recorded them: pppd's ip-down hook
// leaves a small record in the data folder's spool for each link over the card that
// the utility did not dial (`pppd call vr31k-utility`, another dialler), and the next
// program that opens the history imports each record once, as a row with the charge it
// has under the plan. Records are text files of "key=value" lines under a version line;
// anything else in the spool is kept aside and reported, never imported.
#include "accounting/ChargeAccounting.h"

#include <cstdint>
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
    std::string source = "pppd";  // who saw the link end
    std::string entry;            // the history's entry name: the peer, or the interface
    std::string interfaceName;
    std::string tty;
    int64_t end = 0;  // Unix seconds
    int64_t durationSeconds = 0;
    int64_t sent = 0;
    int64_t recv = 0;
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
};

// Imports every record of the spool of `dataFolder` into the history of `accounting`
// (open), under the folder's lock; a record is removed only once its row is written,
// and a row already in the history is not written again. Malformed records are
// renamed "<name>.bad". The period's totals are reloaded when anything was imported.
SpoolImport ImportUsageSpool(const std::string& dataFolder, ChargeAccounting& accounting);

}  // namespace vr31k
