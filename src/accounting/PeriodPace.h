#pragma once
// How much the current billing period may still use per day before each amount the
// plan names (the free allowance, the notice, the cap, and the user's own limit), and
// on which day the period would reach it at its pace: the period's daily mean, and the
// last seven days' (the recent pace differs from the mean when use has changed).
//
// The days are the period's as the projection counts them (the closing day decides);
// a day's budget shares what is left among today and the days after it.
#include "accounting/ChargeAccounting.h"
#include "accounting/ChargePlan.h"
#include "accounting/OleDate.h"
#include "common/SettingsStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

enum class PaceMark { FreeAllowance, Notice, Cap, Limit };

struct PaceTarget {
    PaceMark mark = PaceMark::Notice;
    int64_t atBytes = 0;    // the period total at which it is reached
    int64_t bytesLeft = 0;  // 0 once reached
    int64_t perDay = 0;     // bytesLeft shared among today and the days after it
    // The day (00:00) it would be reached at each pace; none when reached already, or
    // not before the period ends at that pace.
    std::optional<OleDate> byMean;
    std::optional<OleDate> byWeek;
    bool Reached() const { return bytesLeft == 0; }
};

struct PeriodPace {
    // False when the period has no end (closing day "no reset") or `now` lies outside
    // it: then nothing below is set.
    bool available = false;
    int daysLeft = 0;  // whole days after today; 0 on the last day
    int64_t meanPerDay = 0;
    std::optional<int64_t> weekPerDay;  // none when the history could not say
    std::vector<PaceTarget> targets;   // only the amounts the plan (and limit) have
};

// `periodBytes` what the period has used by `now`; `lastWeekBytes` what the seven days
// up to `now` (today and the six before it) have used; `limitBytes` the user's own
// limit, 0 for none.
PeriodPace PacePeriod(std::string_view period, OleDate now, int64_t periodBytes,
                      std::optional<int64_t> lastWeekBytes, const DialupSettings& plan, const DerivedPlan& derived,
                      int64_t limitBytes = 0);

// The charge controller's current period from its history's day totals, with the live
// connection's bytes when `includeLive`.
PeriodPace PaceCurrentPeriod(const ChargeAccounting& charge, bool includeLive, int64_t limitBytes = 0);

// One short line for people: the nearest amount not yet reached with its daily budget
// and its day (a range when the two paces differ), or the daily mean when the plan
// names no amount. Empty when the period has no end.
std::string FormatPace(const PeriodPace& pace);
// The same for a tray tip: the daily budget before the nearest amount, unnamed.
std::string FormatPaceShort(const PeriodPace& pace);
// A day as the line shows it ("6/12").
std::string FormatPaceDay(OleDate day);
// The amount's name ("通信料通知"), and the day or days a target would be reached at
// the two paces ("6/12", "6/12～6/15"); empty when neither pace reaches it.
std::string PaceMarkName(PaceMark mark);
std::string FormatPaceDays(const PaceTarget& target);

}  // namespace vr31k
