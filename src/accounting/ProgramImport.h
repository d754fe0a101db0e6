#pragma once
// The per-program records of ended links become figures of their connections. Whoever
// writes a connection's row notes the link it was counted on (the utility its own
// dial's boot and interface index, the spool's import a dead keeper's live record or
// pppd's record); a link's per-program record then finds its connection by that
// identity, else by its interface and an end within a minute of the record's last
// figures. Imported once, under the spool import's rules (SpoolImport.h): batches under
// the folder's lock, the record removed once its figures are in, one already in removed
// too, a record that is not one of ours kept aside.
#include "accounting/CDbHistoryCtrl.h"
#include "accounting/SpoolImport.h"
#include "accounting/UsageRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vr31k {

// How far a record's last figures may lie from its connection's end.
inline constexpr int64_t kProgramMatchSeconds = 60;
// A record whose connection has no row this long after its last figures never gets one
// (the row went with a cleared history, or was never written): it is kept aside.
inline constexpr int64_t kProgramOrphanSeconds = 7 * 24 * 3600;

// Notes that `row` was counted on the link `figures` names, with the connection's own
// charge; nothing for a row not written.
void NoteLink(CDbHistoryCtrl& history, const HistoryRow& row, const UsageRecord& figures,
              std::optional<int64_t> charge);

// Imports the spool's per-program records of links that are over into `history` (open):
// a final record, or the last figures of a link that is down (its reader killed), once
// they are a minute old. `now` is Unix seconds. The counts are of records.
SpoolImport ImportProgramUsage(const std::string& dataFolder, CDbHistoryCtrl& history,
                               const LinkIdentifier& identify, int64_t now, const SpoolImportLimits& limits = {});

// The per-program figures of the link (`boot`, `index`) while it is up, as its reader
// last wrote them; nullopt when there are none (`problem` says why when a record is
// there but cannot be read).
std::optional<ProgramUsageRecord> RunningLinkPrograms(const std::string& dataFolder, const std::string& boot,
                                                      int64_t index, std::string& problem);
// The programs of every per-program record still in the spool (links up now, and ended
// ones not imported yet), for the faces that offer programs seen on the link.
std::vector<ProgramFigures> SpooledPrograms(const std::string& dataFolder);
// The `count` programs of `programs` that used the most bytes, most first.
std::vector<ProgramUsage> TopPrograms(std::vector<ProgramUsage> programs, size_t count);

}  // namespace vr31k
