#include "accounting/PeriodProjection.h"

#include "accounting/BillingPeriod.h"
#include "common/ByteCount.h"
#include "common/StringIds.h"
#include "common/StringTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vr31k {

namespace {

// Crosses: not reached yet, reached by the period's end at this pace.
bool Crosses(int64_t threshold, int64_t now, int64_t projected) {
    return threshold > 0 && now < threshold && projected >= threshold;
}

std::string Warning(int textId, int64_t yen) {
    return FormatString(textId, {FormatByteCount(static_cast<uint64_t>(yen), false, false)});
}

}  // namespace

PeriodProjection ProjectPeriod(std::string_view period, OleDate now, int64_t periodBytes, const DialupSettings& plan,
                               const DerivedPlan& derived) {
    PeriodProjection projection;
    const auto first = ParseOleDay(PeriodStart(period));
    const auto last = ParseOleDay(PeriodEnd(period));
    if (plan.chargeDay <= kClosingDayNone || !first || !last || !now.IsValid()) return projection;
    const double start = first->value;
    const double end = last->value + 1.0;  // the midnight after the last day
    if (now.value < start || now.value >= end) return projection;

    projection.available = true;
    projection.daysInPeriod = static_cast<int>(std::lround(end - start));
    projection.daysLeft = static_cast<int>(std::lround(last->value - std::floor(now.value)));
    projection.elapsedDays = std::max(1.0, now.value - start);
    const double bytes = static_cast<double>(std::max<int64_t>(0, periodBytes)) / projection.elapsedDays *
                         projection.daysInPeriod;
    projection.projectedBytes = bytes >= 9.2e18 ? std::numeric_limits<int64_t>::max()
                                                : std::max(periodBytes, static_cast<int64_t>(std::llround(bytes)));
    const int64_t projected = projection.projectedBytes;
    projection.projectedCharge = ComputeCharge(plan, derived, projected, Remaining(derived.freeBytes, projected),
                                               Remaining(derived.limitBytes, projected));

    // The cap lies above any notice that can fire, so it is the one worth saying.
    if (derived.cap > 0 && Crosses(derived.limitBytes, periodBytes, projected)) {
        projection.warning = ProjectionWarning::Cap;
        projection.warningText = Warning(ids::IDS_PROJECTION_CAP_WARNING, derived.cap);
    } else if (Crosses(derived.noticeBytes, periodBytes, projected)) {
        projection.warning = ProjectionWarning::Notice;
        const int64_t amount = static_cast<int64_t>(plan.noticeCharge) * plan.noticeRatio / 100;
        projection.warningText = Warning(ids::IDS_PROJECTION_NOTICE_WARNING, amount);
    }
    return projection;
}

PeriodProjection ProjectCurrentPeriod(const ChargeAccounting& charge, bool includeLive) {
    int64_t bytes = charge.Period().periodBytes;
    if (includeLive) bytes += charge.UncountedLiveBytes();
    return ProjectPeriod(charge.Period().period, charge.Now(), bytes, charge.Plan(), charge.Derived());
}

}  // namespace vr31k
