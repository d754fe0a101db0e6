#include "accounting/ConnectionSnapshot.h"

#include "accounting/OleDate.h"
#include "accounting/ProgramImport.h"
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "dialup/ConnectionFigures.h"

#include <unistd.h>

namespace vr31k {

namespace {
// The live figures come from unsigned counters; the accounting keeps them signed so its
// sums saturate. They are never negative.
uint64_t Counted(int64_t value) { return value > 0 ? static_cast<uint64_t>(value) : 0; }
}  // namespace

PeriodSnapshot PeriodOf(const ChargeAccounting& accounting, bool includeLive) {
    PeriodSnapshot period;
    int64_t connectionBytes = 0;
    period.charge = accounting.ComputePeriodCharge(connectionBytes, period.freeLeft, period.limitLeft, includeLive);
    period.projection = ProjectCurrentPeriod(accounting, includeLive);
    return period;
}

PeriodSnapshot PeriodOf(const ChargeAccounting& accounting, bool includeLive, const LimitSettings& limit) {
    PeriodSnapshot period = PeriodOf(accounting, includeLive);
    period.limit = CheckCurrentLimit(accounting, limit);
    period.pace = PaceCurrentPeriod(accounting, includeLive, period.limit->limitBytes);
    return period;
}

ConnectionSnapshot SnapshotOf(const ChargeAccounting& accounting, std::optional<PeriodSnapshot> period) {
    const LiveConnection& live = accounting.Live();
    ConnectionSnapshot snapshot;
    snapshot.entry = live.entryName;
    snapshot.durationMs = Counted(live.durationMs);
    snapshot.sent = Counted(live.sent);
    snapshot.recv = Counted(live.recv);
    snapshot.period = std::move(period);
    return snapshot;
}

ConnectionSnapshot SnapshotOf(const std::string& entry, const ConnectionStats& stats) {
    ConnectionSnapshot snapshot;
    snapshot.entry = entry;
    snapshot.durationMs = stats.durationMs;
    snapshot.sent = stats.bytesSent;
    snapshot.recv = stats.bytesReceived;
    return snapshot;
}

JsonValue ChargeJson(int64_t yen) { return yen < 0 ? JsonValue::Shown(yen, "no plan") : JsonValue(yen); }

std::string SavedTimeText(int64_t savedAt) { return FormatOleDateTime(OleFromTime(static_cast<time_t>(savedAt))); }

JsonValue& WriteSnapshot(JsonValue& out, const ConnectionSnapshot& snapshot) {
    out.Set("duration", FormatConnectionTime(snapshot.durationMs))
        .Set("duration_s", snapshot.durationMs / 1000)
        .Set("sent", snapshot.sent)
        .Set("recv", snapshot.recv)
        .Set("volume", FormatConnectionVolume(snapshot.sent, snapshot.recv));
    if (!snapshot.warning.empty()) out.Set("warning", snapshot.warning);
    if (!snapshot.period) return out;
    const PeriodSnapshot& period = *snapshot.period;
    out.Set("charge", ChargeJson(period.charge))
        .Set("charge_text", FormatCharge(period.charge))
        .Set("free_left", period.freeLeft)
        .Set("limit_left", period.limitLeft);
    if (const std::string pace = period.pace ? FormatPace(*period.pace) : std::string(); !pace.empty()) {
        out.Set("pace_line", pace);
    }
    return out;
}

namespace {

// Flat lists, as the instance socket's replies carry them.
void WritePrograms(JsonValue& out, const ConnectionSnapshot& snapshot) {
    if (!snapshot.programs) {
        out.Set("programs", nullptr).Set("programs_note", std::string(LoadString(ids::IDS_PROGRAM_LINK_NONE)));
        return;
    }
    std::vector<std::string> names;
    std::vector<int64_t> sent, recv, blocked;
    for (const ProgramUsage& p : TopPrograms(snapshot.programs->programs, kStatusPrograms)) {
        names.push_back(p.name);
        sent.push_back(p.sent);
        recv.push_back(p.recv);
        blocked.push_back(p.blockedSent + p.blockedRecv);
    }
    out.Set("programs", names)
        .Set("programs_sent", sent)
        .Set("programs_recv", recv)
        .Set("programs_blocked", blocked)
        .Set("programs_saved", SavedTimeText(snapshot.programs->updated));
}

}  // namespace

JsonValue& WriteConnectionStatus(JsonValue& out, const char* state, const ConnectionSnapshot& snapshot,
                                 int64_t savedAt) {
    out.Set("pid", static_cast<int64_t>(getpid()));
    if (state != nullptr) out.Set("state", state);
    out.Set("entry", snapshot.entry);
    WriteSnapshot(out, snapshot);
    if (savedAt > 0) out.Set("saved", SavedTimeText(savedAt));
    if (snapshot.programsRead) WritePrograms(out, snapshot);
    return out;
}

}  // namespace vr31k
