#pragma once
// The per-program figures of one link over the card, as the root side's reader keeps them
// in the spool while the link is up and once more, final, at its end: one file per link,
// named from the link's identity (the boot and the interface's index, the same pair a live
// usage record carries, so an importer matches it to its connection). Text of "key=value"
// lines under a version line, then one "program=" line per program; read strictly, since
// any member of the folder's group can write the spool. Names come from the machine
// (unit names, desktop entries, process names) and may hold any bytes: they are stored
// escaped, so a line is always one line of printable text.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace vr31k {

// What a row counts: a systemd service (by its unit), a desktop application (by its
// desktop entry), another scope (by the processes seen in it), or traffic no program
// could be told for (no local socket, a cgroup that is neither).
enum class ProgramKind { Unit, App, Scope, Other };

inline constexpr size_t kMaxProgramIdBytes = 256;     // a unit's or desktop entry's id
inline constexpr size_t kMaxProgramNameBytes = 4096;  // the name shown
inline constexpr size_t kMaxProgramRows = 64;         // the reader folds the rest into Other
// Every field escaped at its worst (4 bytes a byte) and the fixed lines: the bound a
// reader of the spool checks before it reads.
inline constexpr size_t kMaxProgramRecordBytes =
    kMaxProgramRows * (4 * (kMaxProgramIdBytes + kMaxProgramNameBytes) + 128) + 1024;

struct ProgramUsage {
    ProgramKind kind = ProgramKind::Other;
    std::string id;    // unit name, desktop entry id ("firefox.desktop"), scope unit; "" for Other
    std::string name;  // what the faces show: unit name, the entry's Name, process names
    int64_t sent = 0;  // IP bytes, the link's own counting
    int64_t recv = 0;
    int64_t blockedSent = 0;  // dropped because the program is kept off the link
    int64_t blockedRecv = 0;
};

struct ProgramUsageRecord {
    std::string interfaceName;
    std::string tty;
    std::string boot;  // the link's identity (platform/LinkIdentity.h)
    int64_t interfaceIndex = 0;
    int64_t start = 0;    // Unix seconds: when counting began (the ip-up hook)
    int64_t updated = 0;  // Unix seconds: the figures' time
    bool final = false;   // written at the link's end; no later figures come
    std::vector<ProgramUsage> programs;  // (kind, id) unique; Other's id empty
};

const char* ProgramKindName(ProgramKind kind);  // "unit", "app", "scope", "other"
std::optional<ProgramKind> ProgramKindFromName(std::string_view name);

// The spool's name for the record of a link: "programs-<boot>-<index>.prog" (the usage
// records' ".rec" names are left to their own importer).
std::string ProgramRecordName(const std::string& boot, int64_t interfaceIndex);
bool IsProgramRecordName(std::string_view name);

std::string FormatProgramUsageRecord(const ProgramUsageRecord& record);
// Every key once, rows well formed and unique, numbers in range, nothing unknown; nullopt
// with `problem` said.
std::optional<ProgramUsageRecord> ParseProgramUsageRecord(std::string_view text, std::string& problem);

// The record `name` of the spool open at `spoolFd`, read without following a link and
// within the bound; nullopt with `problem` said (errno ENOENT when there is none).
std::optional<ProgramUsageRecord> ReadProgramUsageRecord(int spoolFd, const std::string& name, std::string& problem);
// Replaces the link's record whole (temporary file, flushed, renamed). 0 or an errno.
int WriteProgramUsageRecord(int spoolFd, const ProgramUsageRecord& record, mode_t mode);

}  // namespace vr31k
