#include "accounting/DailyUsage.h"

#include "accounting/BillingPeriod.h"

#include <cmath>
#include <cstdio>

namespace vr31k {

namespace {

constexpr int64_t kMaxPeriodDays = 20000;  // fifty years: beyond any history kept

}  // namespace

int BuildDailyUsage(const ChargeAccounting& charge, const std::string& period, DailyUsage& out) {
    out = DailyUsage{};
    const auto first = ParseOleDay(PeriodStart(period));
    const auto last = ParseOleDay(PeriodEnd(period));
    if (period.size() != 23 || !first || !last || last->value < first->value ||
        last->value - first->value >= kMaxPeriodDays) {
        return kDbBadArgument;
    }
    std::vector<DayTotals> totals;
    const int result = charge.History().GetDayTotals(std::string(PeriodStart(period)),
                                                     std::string(PeriodEnd(period)), totals);
    if (result != kDbOk && result != kDbNoRow) return result;

    out.period = period;
    const auto firstDay = static_cast<int64_t>(first->value);
    const auto dayCount = static_cast<int64_t>(last->value) - firstDay + 1;
    out.days.resize(static_cast<size_t>(dayCount));
    for (const DayTotals& t : totals) {
        const int64_t index = static_cast<int64_t>(t.day.value) - firstDay;
        if (index >= 0 && index < dayCount) out.days[static_cast<size_t>(index)].bytes = t.sent + t.recv;
    }
    int64_t sum = 0;
    for (int64_t i = 0; i < dayCount; ++i) {
        DailyUsagePoint& point = out.days[static_cast<size_t>(i)];
        point.day = {static_cast<double>(firstDay + i), OleDate::Status::Valid};
        sum += point.bytes;
        point.cumulativeBytes = sum;
        int64_t freeLeft = 0, limitLeft = 0;
        point.cumulativeCharge = charge.ComputeChargeForBytes(sum, freeLeft, limitLeft);
    }

    const OleDate now = charge.Now();
    if (now.IsValid()) {
        const int64_t today = static_cast<int64_t>(std::floor(now.value)) - firstDay;
        if (today >= 0 && today < dayCount) out.todayIndex = static_cast<int>(today);
    }
    const DerivedPlan& plan = charge.Derived();
    out.freeAmount = plan.freeAmount;
    out.cap = plan.cap;
    if (plan.noticeBytes > 0) {
        out.noticeAmount = static_cast<int32_t>(static_cast<int64_t>(charge.Plan().noticeCharge) *
                                                charge.Plan().noticeRatio / 100);
    }
    return kDbOk;
}

ByteUnit ByteUnitFor(int64_t maxBytes) {
    static constexpr const char* kNames[] = {"Bytes", "kBytes", "MBytes", "GBytes"};
    ByteUnit unit;
    for (int i = 1; i < 4; ++i) {
        const double divisor = std::ldexp(1.0, 10 * i);
        if (static_cast<double>(maxBytes) < divisor) break;
        unit = {divisor, kNames[i]};
    }
    return unit;
}

std::string FormatShortBytes(int64_t bytes) {
    const ByteUnit unit = ByteUnitFor(bytes);
    const double value = static_cast<double>(bytes) / unit.divisor;
    char text[48];
    std::snprintf(text, sizeof text, "%.*f %s", unit.divisor > 1 && value < 100 ? 1 : 0, value, unit.name);
    return text;
}

}  // namespace vr31k
