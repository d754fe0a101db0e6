#pragma once
// The programs kept off the card's link (off by default: no file, nothing kept off):
// services by their unit name, desktop applications by their desktop entry id. The
// faces write the list into the data folder; the link's root side reads it at ip-up and
// while the link is up, and drops those programs' traffic on the card's link only. Any
// member of the folder's group can write it, so it is read strictly: a list that is not
// well formed in every line is an error and keeps nothing off.
#include "accounting/ProgramUsageRecord.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

inline constexpr const char* kProgramBlockListName = "VR31KUTL.blk";
inline constexpr size_t kMaxBlockedPrograms = 256;
inline constexpr size_t kMaxProgramBlockListBytes = 64 * 1024;

struct BlockedProgram {
    ProgramKind kind = ProgramKind::Unit;  // Unit or App only
    std::string id;                        // "apt-daily-upgrade.service", "firefox.desktop"
    friend bool operator==(const BlockedProgram&, const BlockedProgram&) = default;
};

struct ProgramBlockList {
    std::vector<BlockedProgram> programs;  // unique
    bool Blocks(ProgramKind kind, std::string_view id) const;
};

// Why `id` cannot name a program of `kind` in the list ("" when it can): a service's unit
// name ("….service", systemd's characters) or a desktop entry id ("….desktop").
std::string BlockedProgramProblem(ProgramKind kind, std::string_view id);

std::string FormatProgramBlockList(const ProgramBlockList& list);
std::optional<ProgramBlockList> ParseProgramBlockList(std::string_view text, std::string& problem);

// The list in `dataFolder` (no file: an empty list), read without following a link and
// within the bound; nullopt with `problem` said.
std::optional<ProgramBlockList> ReadProgramBlockList(const std::string& dataFolder, std::string& problem);
// Replaces the list whole (common/AtomicFileWriter), shared as the folder is. 0 or an errno.
int WriteProgramBlockList(const std::string& dataFolder, const ProgramBlockList& list);

}  // namespace vr31k
