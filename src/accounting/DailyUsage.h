#pragma once
// A billing period day by day: the bytes of each day's finished connections and the
// period's estimated charge at the end of each day under the current plan, with the
// plan's amounts to draw beside it. Read from the history's per-day sums, so a period
// costs a few dozen rows whatever the history holds.
#include "accounting/ChargeAccounting.h"
#include "accounting/PeriodPace.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vr31k {

struct DailyUsagePoint {
    OleDate day;                  // 00:00 of the day
    int64_t bytes = 0;            // sent + received by the connections that ended that day
    int64_t cumulativeBytes = 0;  // the period's bytes up to the end of the day
    int32_t cumulativeCharge = -1;  // the charge of those bytes; -1 without a plan
};

struct DailyUsage {
    std::string period;  // "YYYY/MM/DD - YYYY/MM/DD"
    std::vector<DailyUsagePoint> days;  // every day of the period, also those without traffic
    int todayIndex = -1;                // the day that holds now, -1 outside the period
    // The plan's amounts in yen; 0 where the plan has none.
    int32_t freeAmount = 0;
    int32_t cap = 0;
    int32_t noticeAmount = 0;
    // The estimated charge at the period's end, for the views that show where the
    // period is heading; left empty here.
    std::optional<int32_t> projectedCharge;
    // The amounts the period would reach at its pace, with their days; likewise left
    // empty here.
    std::vector<PaceTarget> paceTargets;
};

// The days of `period` ("YYYY/MM/DD - YYYY/MM/DD"). kDbBadArgument for a malformed
// period (or one of more than 20,000 days); the history's code when it cannot be read.
int BuildDailyUsage(const ChargeAccounting& charge, const std::string& period, DailyUsage& out);

// A unit that keeps a byte axis readable: the largest of Bytes, kBytes, MBytes and
// GBytes (powers of 1024) in which `maxBytes` is at least 1.
struct ByteUnit {
    double divisor = 1;
    const char* name = "Bytes";
};
ByteUnit ByteUnitFor(int64_t maxBytes);
// A byte count short enough for a line, in that unit: "3.2 MBytes", "640 kBytes".
std::string FormatShortBytes(int64_t bytes);

}  // namespace vr31k
