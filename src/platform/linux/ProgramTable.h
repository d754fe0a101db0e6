#pragma once
// The kernel's per-program counting of one link: an nftables table of the utility's own
// per link ("inet vr31k_programs_<index>"), whose sets count the link's bytes per
// socket cgroup (cgroup v2 ids, the deepest level a packet's socket has, up to
// kMaxCgroupLevel), drop the traffic of the cgroups kept off the link, and count what
// has no local socket apart. Nothing else of the machine's nftables is touched.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vr31k {

inline constexpr int kMaxCgroupLevel = 8;

struct CgroupBytes {
    uint64_t cgroup = 0;  // the cgroup's id (its inode in the cgroup v2 file system)
    int64_t bytes = 0;    // IP bytes (the link's counters count the same)
};

struct ProgramTableCounts {
    std::vector<CgroupBytes> sent, recv;                // per deepest cgroup
    std::vector<CgroupBytes> blockedSent, blockedRecv;  // per cgroup kept off
    int64_t otherSent = 0, otherRecv = 0;               // no local socket
};

struct BlockedCgroup {
    std::string path;  // the cgroup's folder, under /sys/fs/cgroup (nft finds it there)
    int level = 0;     // its depth below the root, 1..kMaxCgroupLevel
    friend auto operator<=>(const BlockedCgroup&, const BlockedCgroup&) = default;
};

std::string ProgramTableName(int64_t interfaceIndex);

// Each returns "" or what went wrong.
// Makes the link's table anew (an old one of the same link is replaced) for the
// interface `interfaceName` (its index `interfaceIndex`, as it is now).
std::string SetUpProgramTable(const std::string& interfaceName, int64_t interfaceIndex);
std::string RemoveProgramTable(int64_t interfaceIndex);
// Removes the tables of links whose interface is gone (`alive(index)` false): a link
// whose ip-down and reader were both killed.
std::string RemoveGoneProgramTables(const std::function<bool(int64_t)>& alive);
// Drops the traffic of `add` on the link from now on (all or none of those nft can be
// told of: a folder whose path holds what systemd never writes is left out, and said),
// and no longer that of
// `remove` (one that is gone meanwhile is left: its cgroup id is never used again).
std::string ChangeBlockedCgroups(int64_t interfaceIndex, const std::vector<BlockedCgroup>& add,
                                 const std::vector<BlockedCgroup>& remove);
// The counters now; nullopt with `problem` said (ENOENT in errno when there is no table).
std::optional<ProgramTableCounts> ReadProgramTable(int64_t interfaceIndex, std::string& problem);

}  // namespace vr31k
