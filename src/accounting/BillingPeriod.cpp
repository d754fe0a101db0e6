#include "accounting/BillingPeriod.h"

namespace vr31k {

namespace {

struct Month {
    int year;
    int month;
    void Add(int delta) {
        int index = year * 12 + (month - 1) + delta;
        year = index / 12;
        month = index % 12 + 1;
    }
    bool operator==(const Month&) const = default;
};

}  // namespace

void BuildPeriodList(std::vector<std::string>& list, int closingDay, OleDate from, OleDate to,
                     OleDate* periodEnd) {
    DateParts last;
    if (!SplitOleDate(to, last) || !from.IsValid()) return;
    if (closingDay <= 0) {
        list.push_back(FormatOleDay(from) + " - " + FormatOleDay(to));
        return;
    }

    Month endMonth{last.year, last.month};
    if (last.day > closingDay) endMonth.Add(1);
    Month startMonth = endMonth;
    startMonth.Add(-1);

    if (from.value > to.value) return;
    for (;;) {
        // Start: the first existing day from the day after the closing day on; past
        // day 31 the search goes on in the next month.
        int day = closingDay + 1;
        if (day > 31) {
            day = 1;
            startMonth.Add(1);
        }
        while (!DateExists(startMonth.year, startMonth.month, day)) {
            if (startMonth.year > 9999) return;
            if (++day > 31) {
                day = 1;
                startMonth.Add(1);
            }
        }
        const OleDate start = MakeOleDate(startMonth.year, startMonth.month, day);

        // End: the closing day, or the last day of a shorter month.
        Month endSearch = endMonth;
        int endDay = closingDay;
        while (!DateExists(endSearch.year, endSearch.month, endDay)) {
            if (endSearch.year < 100) return;
            if (--endDay < 1) {
                endDay = 31;
                endSearch.Add(-1);
            }
        }
        const OleDate endDate = MakeOleDate(endSearch.year, endSearch.month, endDay);
        const OleDate endLast{endDate.value + kLastSecondOfDay, OleDate::Status::Valid};
        if (from.value > endLast.value) return;
        list.push_back(FormatOleDay(start) + " - " + FormatOleDay(endDate));
        if (periodEnd != nullptr) *periodEnd = endLast;

        startMonth.Add(startMonth == endMonth ? -2 : -1);
        endMonth.Add(-1);
        if (from.value > endDate.value) return;
    }
}

}  // namespace vr31k
