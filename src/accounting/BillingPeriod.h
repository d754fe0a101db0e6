#pragma once
// Billing periods: from the day after the closing day to the closing day, as
// "YYYY/MM/DD - YYYY/MM/DD" (23 characters).
#include "accounting/OleDate.h"

#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

// Closing day 0: no reset; 1-31: that day of the month (the month's last day when the
// month is shorter); 32: the month's end.
inline constexpr int kClosingDayNone = 0;
inline constexpr int kClosingDayMonthEnd = 32;

// Appends the periods from the one holding `to` back to the one holding `from`, newest
// first. Closing day <= 0 gives one entry, the date of `from` to the date of `to`.
// `periodEnd`, when given, receives the last second of the last period appended (not
// written for closing day <= 0 or an empty list).
void BuildPeriodList(std::vector<std::string>& list, int closingDay, OleDate from, OleDate to,
                     OleDate* periodEnd = nullptr);

// The two dates of a period entry: its first and its last 10 characters.
inline std::string_view PeriodStart(std::string_view period) { return period.substr(0, 10); }
inline std::string_view PeriodEnd(std::string_view period) {
    return period.size() >= 10 ? period.substr(period.size() - 10) : period;
}

}  // namespace vr31k
