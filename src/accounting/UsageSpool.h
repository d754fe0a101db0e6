#pragma once
// The spool: the folder of the data folder where usage records wait for their import.
// Everything in it is opened relative to the spool, never through a link; records are
// written whole (a temporary file, flushed, renamed) and never over another's; a record
// that cannot be imported is kept aside, byte for byte. A live record's keeper holds an
// flock on its own lock file here for as long as it runs: whether it runs is proved by
// that lock, which every member can try whatever /proc shows them.
#include "accounting/UsageRecord.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace vr31k {

inline constexpr const char* kSpoolFolderName = "spool";

// The spool inside `dataFolder`, opened without following a link at its name (and
// made with `mode` when `create` and it is missing); a descriptor, or -1 with errno.
int OpenSpoolFolder(const std::string& dataFolder, bool create, mode_t mode);
// Writes `record` as a new file of the spool, under a name nobody has. 0 or an errno.
int WriteUsageRecord(int spoolFd, const UsageRecord& record, mode_t mode);
// Replaces the record `name` with `record` (a live record's saves). 0 or an errno.
int ReplaceUsageRecord(int spoolFd, const std::string& name, const UsageRecord& record, mode_t mode);
// The whole regular file `name` of the spool, read without following a link or waiting
// on a FIFO, when it holds at most `maxBytes`; false with `problem` said.
bool ReadSpoolText(int spoolFd, const std::string& name, size_t maxBytes, std::string& text, std::string& problem);
// The record at `name`, read without following a link; nullopt with `problem` said.
std::optional<UsageRecord> ReadUsageRecord(int spoolFd, const std::string& name, std::string& problem);
// The names of the spool's records, sorted ("<name>.rec", temporary and kept-aside
// files left out).
std::vector<std::string> SpoolRecordNames(int spoolFd);
bool IsLiveRecordName(const std::string& name);
// The names of the spool's per-program records (ProgramUsageRecord.h), sorted.
std::vector<std::string> SpoolProgramRecordNames(int spoolFd);
// Renames a record that cannot be imported to "<name>.bad", or "<name>.<random>.bad"
// when that is taken; false with errno when it could not be renamed.
bool KeepRecordAside(int spoolFd, const std::string& name, std::string& aside);
// Removes what killed writers and keepers left: temporary files and lock files nobody
// holds.
void RemoveSpoolLeftovers(int spoolFd);

// Whether the keeper a live record names runs: it holds its lock. A record its keeper
// let go (owner 0) has none.
bool KeeperHolds(int spoolFd, const UsageRecord& record);

// A keeper's lock on its lock file in the spool, taken anew when an importer removed
// it meanwhile (it removes only lock files nobody holds). The file goes with the lock.
class KeeperLock {
public:
    KeeperLock() = default;
    ~KeeperLock();
    KeeperLock(const KeeperLock&) = delete;
    KeeperLock& operator=(const KeeperLock&) = delete;
    // Holds the lock of (`ownerPid`, `ownerStart`) in the spool open at `spoolFd`.
    void Hold(int spoolFd, int ownerPid, uint64_t ownerStart, mode_t mode);
    // Lets go and removes the lock file from the spool open at `spoolFd`.
    void Release(int spoolFd);

private:
    int m_fd = -1;
    std::string m_name;
};

}  // namespace vr31k
