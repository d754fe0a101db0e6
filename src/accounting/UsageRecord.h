#pragma once
// A usage record: the figures of one connection, as pppd's ip-down hook leaves them for a
// link no utility recorded ("pppd"), or as a program watching a connection keeps them
// while it lasts ("live"). Text of "key=value" lines under a version line; read strictly
// (every key once, numbers in range, nothing unknown), since any member of the folder's
// group can write the spool.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vr31k {

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
    // its keeper let go), and which link it is (the boot, the interface's index): a link
    // that outlived its keeper is counted by the program that adopts it, from the
    // interface's counters.
    int ownerPid = 0;
    uint64_t ownerStart = 0;
    std::string boot;
    int64_t interfaceIndex = 0;
    // A live record holding the row's own figures (its keeper was writing the row): only
    // such a record can be in the history already.
    bool final = false;
};

std::string FormatUsageRecord(const UsageRecord& record);
// Every key once, numbers in range, nothing unknown; nullopt with `problem` said.
std::optional<UsageRecord> ParseUsageRecord(std::string_view text, std::string& problem);

}  // namespace vr31k
