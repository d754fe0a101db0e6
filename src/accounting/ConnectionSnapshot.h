#pragma once
// The period's figures and a connection's, in numbers, read once from the accounting
// (which knows which of the live bytes a history row holds already) at its own clock;
// and the one way they are written out as named fields: the instance socket's replies,
// the command line and its status file.
#include "accounting/ChargeAccounting.h"
#include "accounting/PeriodPace.h"
#include "accounting/PeriodProjection.h"
#include "accounting/ProgramUsageRecord.h"
#include "accounting/UsageLimit.h"
#include "common/JsonValue.h"
#include "platform/DialupService.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vr31k {

struct PeriodSnapshot {
    int32_t charge = -1;  // the period's charge; -1 when no plan applies
    int64_t freeLeft = 0;   // the allowances left
    int64_t limitLeft = 0;
    PeriodProjection projection;
    // Where the user's limit stands, and the pace with it among its amounts; read only
    // when asked for (the pace reads the history's day totals).
    std::optional<LimitStatus> limit;
    std::optional<PeriodPace> pace;
};

// The current period (`includeLive`: with the live connection's bytes that no row holds
// yet); with the user's `limit`, also the limit's state and the pace.
PeriodSnapshot PeriodOf(const ChargeAccounting& accounting, bool includeLive);
PeriodSnapshot PeriodOf(const ChargeAccounting& accounting, bool includeLive, const LimitSettings& limit);

struct ConnectionSnapshot {
    std::string entry;
    uint64_t durationMs = 0;
    uint64_t sent = 0;
    uint64_t recv = 0;
    // The period with the connection in it; unset for a link the accounting does not
    // follow, and where no one shows it.
    std::optional<PeriodSnapshot> period;
    // The link's programs as its reader last wrote them, when asked for (`programsRead`);
    // none for a link whose programs are not counted.
    bool programsRead = false;
    std::optional<ProgramUsageRecord> programs;
    // The link's warning line when it is up but its traffic or names go elsewhere, as
    // the connection's owner found it; empty when nothing is wrong or nothing was looked at.
    std::string warning;
};

// How many programs a connection's status names.
inline constexpr size_t kStatusPrograms = 10;

// The live connection, with the period around it when given.
ConnectionSnapshot SnapshotOf(const ChargeAccounting& accounting, std::optional<PeriodSnapshot> period = {});
// Another dialler's link as its statistics show it: no period.
ConnectionSnapshot SnapshotOf(const std::string& entry, const ConnectionStats& stats);

// An estimated charge in yen; negative when no plan applies (people read "no plan").
JsonValue ChargeJson(int64_t yen);
// When a live record was saved (seconds since the epoch), as the outputs show it.
std::string SavedTimeText(int64_t savedAt);

// duration, duration_s, sent, recv, volume, warning when there is one, and with the
// period charge, charge_text, free_left, limit_left, and pace_line where the pace has a
// line; with the programs read, the top ones as flat lists (programs, programs_sent,
// programs_recv, programs_blocked) and programs_saved, or programs null with
// programs_note. The entry is the caller's: some outputs name none.
JsonValue& WriteSnapshot(JsonValue& out, const ConnectionSnapshot& snapshot);
// A connection's status, as the socket's replies, vr31kctl and its status file give it:
// pid (this process), state (unless null), entry, the snapshot's fields, and saved when
// the live record has been saved (`savedAt` > 0): what a kill or a power cut would leave
// counted.
JsonValue& WriteConnectionStatus(JsonValue& out, const char* state, const ConnectionSnapshot& snapshot,
                                 int64_t savedAt);

}  // namespace vr31k
