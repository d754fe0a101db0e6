#pragma once
// A watched connection is never only in memory: its figures are kept in the spool while
// it lasts (see SpoolImport.h for what becomes of them).
#include "accounting/UsageRecord.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vr31k {

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
