#pragma once
// A connection's figures in numbers, read once from the accounting (which knows which of
// the live bytes a history row holds already), and the one way they are written out as
// named fields: the instance socket's replies, the command line and its status file.
#include "accounting/ChargeAccounting.h"
#include "platform/DialupService.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vr31k {

struct ConnectionSnapshot {
    std::string entry;
    uint64_t durationMs = 0;
    uint64_t sent = 0;
    uint64_t recv = 0;
    // The period's charge with the connection in it (-1: no plan applies) and the
    // allowances left; unset for a link the accounting does not follow.
    std::optional<int32_t> charge;
    int64_t freeLeft = 0;
    int64_t limitLeft = 0;
    // The period's pace in one line (FormatPace); set by the callers that show it.
    std::string pace;
};

// The live connection with the period around it (`includeLive`: its bytes that no row
// holds yet count in the period's charge).
ConnectionSnapshot SnapshotOf(const ChargeAccounting& accounting, bool includeLive = true);
// Another dialler's link as its statistics show it: no charge.
ConnectionSnapshot SnapshotOf(const std::string& entry, const ConnectionStats& stats);

// Where WriteSnapshot puts each field, in the writer's own JSON type.
class ISnapshotFields {
public:
    virtual ~ISnapshotFields() = default;
    virtual void Text(const char* key, const std::string& value) = 0;
    virtual void Number(const char* key, int64_t value) = 0;
    virtual void Count(const char* key, uint64_t value) = 0;
    // The charge in yen; negative when no plan applies.
    virtual void Charge(const char* key, int32_t yen) = 0;
};

// duration, duration_s, sent, recv, volume, and with a charge charge, charge_text,
// free_left, limit_left, and pace_line where the pace is set. The entry is the
// caller's: some outputs name none.
void WriteSnapshot(const ConnectionSnapshot& snapshot, ISnapshotFields& fields);

}  // namespace vr31k
