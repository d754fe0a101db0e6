#include "accounting/ConnectionSnapshot.h"

#include "dialup/ConnectionFigures.h"

namespace vr31k {

namespace {
// The live figures come from unsigned counters; the accounting keeps them signed so its
// sums saturate. They are never negative.
uint64_t Counted(int64_t value) { return value > 0 ? static_cast<uint64_t>(value) : 0; }
}  // namespace

ConnectionSnapshot SnapshotOf(const ChargeAccounting& accounting, bool includeLive) {
    const LiveConnection& live = accounting.Live();
    ConnectionSnapshot snapshot;
    snapshot.entry = live.entryName;
    snapshot.durationMs = Counted(live.durationMs);
    snapshot.sent = Counted(live.sent);
    snapshot.recv = Counted(live.recv);
    int64_t connectionBytes = 0;
    snapshot.charge = accounting.ComputePeriodCharge(connectionBytes, snapshot.freeLeft, snapshot.limitLeft, includeLive);
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

void WriteSnapshot(const ConnectionSnapshot& snapshot, ISnapshotFields& fields) {
    fields.Text("duration", FormatConnectionTime(snapshot.durationMs));
    fields.Count("duration_s", snapshot.durationMs / 1000);
    fields.Count("sent", snapshot.sent);
    fields.Count("recv", snapshot.recv);
    fields.Text("volume", FormatConnectionVolume(snapshot.sent, snapshot.recv));
    if (!snapshot.charge) return;
    fields.Charge("charge", *snapshot.charge);
    fields.Text("charge_text", FormatCharge(*snapshot.charge));
    fields.Number("free_left", snapshot.freeLeft);
    fields.Number("limit_left", snapshot.limitLeft);
    if (!snapshot.pace.empty()) fields.Text("pace_line", snapshot.pace);
}

}  // namespace vr31k
