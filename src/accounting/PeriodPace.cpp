#include "accounting/PeriodPace.h"

#include "accounting/DailyUsage.h"
#include "accounting/PeriodProjection.h"
#include "common/ByteCount.h"
#include "common/StringIds.h"
#include "common/StringTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vr31k {

using namespace ids;

namespace {

constexpr int kWeekDays = 7;

// The day on which `left` more bytes are used at `perDay`, if before `end`.
std::optional<OleDate> ReachDay(int64_t left, double perDay, double now, double end) {
    if (left <= 0 || perDay <= 0) return std::nullopt;
    const double at = now + static_cast<double>(left) / perDay;
    if (at >= end) return std::nullopt;
    return OleDate{std::floor(at), OleDate::Status::Valid};
}

// A rate in whole bytes, held at the largest count rather than wrapped.
int64_t WholeBytes(double perDay) {
    return perDay >= 9.2e18 ? std::numeric_limits<int64_t>::max() : std::llround(perDay);
}

}  // namespace

PeriodPace PacePeriod(std::string_view period, OleDate now, int64_t periodBytes,
                      std::optional<int64_t> lastWeekBytes, const DialupSettings& plan, const DerivedPlan& derived,
                      int64_t limitBytes) {
    PeriodPace pace;
    const PeriodProjection days = ProjectPeriod(period, now, periodBytes, plan, derived);
    if (!days.available) return pace;
    pace.available = true;
    pace.daysLeft = days.daysLeft;
    const double today = std::floor(now.value);
    const double end = today + days.daysLeft + 1;  // the midnight after the last day
    const double mean = static_cast<double>(std::max<int64_t>(0, periodBytes)) / days.elapsedDays;
    pace.meanPerDay = WholeBytes(mean);
    double week = 0;
    if (lastWeekBytes) {
        // Today counts for the part of it gone by.
        week = static_cast<double>(std::max<int64_t>(0, *lastWeekBytes)) / (now.value - (today - (kWeekDays - 1)));
        pace.weekPerDay = WholeBytes(week);
    }

    const bool capped = derived.type == kChargeMeteredCap || derived.type == kChargeTwoStage;
    const std::pair<PaceMark, int64_t> marks[] = {
        {PaceMark::FreeAllowance, derived.freeBytes},
        {PaceMark::Notice, derived.noticeBytes},
        {PaceMark::Cap, capped ? derived.limitBytes : 0},
        {PaceMark::Limit, limitBytes},
    };
    for (const auto& [mark, atBytes] : marks) {
        if (atBytes <= 0) continue;
        PaceTarget target;
        target.mark = mark;
        target.atBytes = atBytes;
        target.bytesLeft = Remaining(atBytes, periodBytes);
        target.perDay = target.bytesLeft / (pace.daysLeft + 1);
        target.byMean = ReachDay(target.bytesLeft, mean, now.value, end);
        if (lastWeekBytes) target.byWeek = ReachDay(target.bytesLeft, week, now.value, end);
        pace.targets.push_back(target);
    }
    return pace;
}

PeriodPace PaceCurrentPeriod(const ChargeAccounting& charge, bool includeLive, int64_t limitBytes) {
    const int64_t live = includeLive ? charge.UncountedLiveBytes() : 0;
    const OleDate now = charge.Now();
    std::optional<int64_t> week;
    if (now.IsValid()) {
        const double today = std::floor(now.value);
        std::vector<DayTotals> days;
        const int result = charge.History().GetDayTotals(
            FormatOleDay({today - (kWeekDays - 1), OleDate::Status::Valid}),
            FormatOleDay({today, OleDate::Status::Valid}), days);
        if (result == kDbOk) {
            int64_t sum = live;
            for (const DayTotals& day : days) sum = AddSaturating(sum, AddSaturating(day.sent, day.recv));
            week = sum;
        }
    }
    return PacePeriod(charge.Period().period, now, AddSaturating(charge.Period().periodBytes, live), week,
                      charge.Plan(), charge.Derived(), limitBytes);
}

namespace {
// The nearest amount not reached yet, and the largest one reached.
struct Nearest {
    const PaceTarget* next = nullptr;
    const PaceTarget* passed = nullptr;
};
Nearest NearestTargets(const PeriodPace& pace) {
    Nearest n;
    for (const PaceTarget& target : pace.targets) {
        if (target.Reached()) {
            if (n.passed == nullptr || target.atBytes > n.passed->atBytes) n.passed = &target;
        } else if (n.next == nullptr || target.bytesLeft < n.next->bytesLeft) {
            n.next = &target;
        }
    }
    return n;
}
}  // namespace

std::string FormatPaceShort(const PeriodPace& pace) {
    if (!pace.available) return {};
    const Nearest n = NearestTargets(pace);
    if (n.next != nullptr) {
        return FormatString(IDS_PACE_SHORT, {FormatShortBytes(n.next->perDay)});
    }
    if (n.passed != nullptr) return FormatString(IDS_PACE_LINE_REACHED, {PaceMarkName(n.passed->mark)});
    return FormatString(IDS_PACE_SHORT_MEAN, {FormatShortBytes(pace.meanPerDay)});
}

std::string FormatPace(const PeriodPace& pace) {
    if (!pace.available) return {};
    const auto [next, passed] = NearestTargets(pace);
    if (next != nullptr) {
        const std::string name = PaceMarkName(next->mark);
        const std::string perDay = FormatShortBytes(next->perDay);
        if (!next->byMean && !next->byWeek) return FormatString(IDS_PACE_LINE_NOT_THIS_PERIOD, {name, perDay});
        return FormatString(IDS_PACE_LINE, {name, perDay, FormatPaceDays(*next)});
    }
    if (passed != nullptr) return FormatString(IDS_PACE_LINE_REACHED, {PaceMarkName(passed->mark)});
    const std::string mean = FormatShortBytes(pace.meanPerDay);
    return pace.daysLeft > 0 ? FormatString(IDS_PACE_LINE_MEAN, {mean, std::to_string(pace.daysLeft)})
                             : FormatString(IDS_PACE_LINE_MEAN_LAST_DAY, {mean});
}

std::string FormatPaceDay(OleDate day) {
    DateParts parts;
    if (!SplitOleDate(day, parts)) return {};
    return std::to_string(parts.month) + "/" + std::to_string(parts.day);
}

std::string PaceMarkName(PaceMark mark) {
    int id = IDS_PACE_NOTICE;
    switch (mark) {
    case PaceMark::FreeAllowance: id = IDS_PACE_FREE_ALLOWANCE; break;
    case PaceMark::Notice: id = IDS_PACE_NOTICE; break;
    case PaceMark::Cap: id = IDS_PACE_CAP; break;
    case PaceMark::Limit: id = IDS_PACE_LIMIT; break;
    }
    return std::string(LoadString(id));
}

std::string FormatPaceDays(const PaceTarget& target) {
    if (!target.byMean || !target.byWeek) {
        const auto& one = target.byMean ? target.byMean : target.byWeek;
        return one ? FormatPaceDay(*one) : std::string();
    }
    const double early = std::min(target.byMean->value, target.byWeek->value);
    const double late = std::max(target.byMean->value, target.byWeek->value);
    const std::string first = FormatPaceDay({early, OleDate::Status::Valid});
    if (early == late) return first;
    return FormatString(IDS_PACE_DAY_RANGE, {first, FormatPaceDay({late, OleDate::Status::Valid})});
}

}  // namespace vr31k
