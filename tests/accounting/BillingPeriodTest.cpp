// Billing periods for every kind of closing day: short months, leap years, year
// rollover, the stop tests, newest first.
#include "accounting/BillingPeriod.h"

#include <gtest/gtest.h>

using namespace vr31k;

namespace {

OleDate At(const char* text) {
    const auto date = ParseOleDateTime(text);
    EXPECT_TRUE(date.has_value()) << text;
    return date.value_or(OleDate::Invalid());
}

std::vector<std::string> Periods(int day, const char* from, const char* to, OleDate* end = nullptr) {
    std::vector<std::string> list;
    BuildPeriodList(list, day, At(from), At(to), end);
    return list;
}

using List = std::vector<std::string>;

TEST(BuildPeriodList, ThePeriodHoldingOneMoment) {
    struct Case {
        int day;
        const char* now;
        const char* period;
        const char* end;
    } cases[] = {
        {20, "2008/05/25 12:00:00", "2008/05/21 - 2008/06/20", "2008/06/20 23:59:59"},
        {20, "2008/05/20 23:59:59", "2008/04/21 - 2008/05/20", "2008/05/20 23:59:59"},
        {20, "2008/05/21 00:00:00", "2008/05/21 - 2008/06/20", "2008/06/20 23:59:59"},
        {20, "2008/12/25 00:00:00", "2008/12/21 - 2009/01/20", "2009/01/20 23:59:59"},  // into the next year
        {20, "2009/01/05 00:00:00", "2008/12/21 - 2009/01/20", "2009/01/20 23:59:59"},  // from the last year
        {1, "2008/03/01 00:00:00", "2008/02/02 - 2008/03/01", "2008/03/01 23:59:59"},
        {1, "2008/03/02 00:00:00", "2008/03/02 - 2008/04/01", "2008/04/01 23:59:59"},
        {28, "2008/02/29 08:00:00", "2008/02/29 - 2008/03/28", "2008/03/28 23:59:59"},
        // Closing day 30: the start skips a day February does not have; the end is
        // February's last day.
        {30, "2008/02/10 00:00:00", "2008/01/31 - 2008/02/29", "2008/02/29 23:59:59"},
        {30, "2008/03/15 00:00:00", "2008/03/01 - 2008/03/30", "2008/03/30 23:59:59"},
        {30, "2007/02/10 00:00:00", "2007/01/31 - 2007/02/28", "2007/02/28 23:59:59"},
        {30, "2007/03/01 00:00:00", "2007/03/01 - 2007/03/30", "2007/03/30 23:59:59"},
        {29, "2007/03/01 00:00:00", "2007/03/01 - 2007/03/29", "2007/03/29 23:59:59"},
        {29, "2008/02/29 00:00:00", "2008/01/30 - 2008/02/29", "2008/02/29 23:59:59"},
        // Closing days 31 and 32: calendar months.
        {31, "2008/02/15 00:00:00", "2008/02/01 - 2008/02/29", "2008/02/29 23:59:59"},
        {31, "2008/04/30 10:00:00", "2008/04/01 - 2008/04/30", "2008/04/30 23:59:59"},
        {32, "2008/12/31 23:59:59", "2008/12/01 - 2008/12/31", "2008/12/31 23:59:59"},
        {32, "2009/01/01 00:00:00", "2009/01/01 - 2009/01/31", "2009/01/31 23:59:59"},
        {32, "2100/02/10 00:00:00", "2100/02/01 - 2100/02/28", "2100/02/28 23:59:59"},
    };
    for (const Case& c : cases) {
        OleDate end = OleDate::Null();
        EXPECT_EQ(Periods(c.day, c.now, c.now, &end), List{c.period}) << c.day << " " << c.now;
        EXPECT_EQ(FormatOleDateTime(end), c.end) << c.day << " " << c.now;
    }
}

TEST(BuildPeriodList, SpanNewestFirst) {
    EXPECT_EQ(Periods(30, "2008/01/31 00:00:00", "2008/03/30 23:59:59"),
              (List{"2008/03/01 - 2008/03/30", "2008/01/31 - 2008/02/29"}));
    EXPECT_EQ(Periods(30, "2008/01/30 23:59:59", "2008/03/30 23:59:59"),
              (List{"2008/03/01 - 2008/03/30", "2008/01/31 - 2008/02/29", "2007/12/31 - 2008/01/30"}));
    EXPECT_EQ(Periods(32, "2007/11/15 00:00:00", "2008/02/10 00:00:00"),
              (List{"2008/02/01 - 2008/02/29", "2008/01/01 - 2008/01/31", "2007/12/01 - 2007/12/31",
                    "2007/11/01 - 2007/11/30"}));
    EXPECT_EQ(Periods(31, "2008/12/31 23:00:00", "2009/01/01 01:00:00"),
              (List{"2009/01/01 - 2009/01/31", "2008/12/01 - 2008/12/31"}));
    EXPECT_EQ(Periods(15, "2008/01/16 00:00:00", "2008/02/15 23:59:59"), (List{"2008/01/16 - 2008/02/15"}));
    // `from` on the first day of a period at midnight: the older period is not listed.
    EXPECT_EQ(Periods(20, "2008/04/21 00:00:00", "2008/05/25 00:00:00"),
              (List{"2008/05/21 - 2008/06/20", "2008/04/21 - 2008/05/20"}));
    // `from` at the last second of the older period.
    EXPECT_EQ(Periods(20, "2008/04/20 23:59:59", "2008/04/21 00:00:00"),
              (List{"2008/04/21 - 2008/05/20", "2008/03/21 - 2008/04/20"}));
    // Sixteen periods of a year and a quarter.
    EXPECT_EQ(Periods(32, "2007/01/31 00:00:00", "2008/04/01 00:00:00").size(), 16u);
}

TEST(BuildPeriodList, NoResetAndEmptyCases) {
    OleDate end = At("2001/01/01 00:00:00");
    EXPECT_EQ(Periods(0, "2008/05/20 10:00:00", "2008/06/01 09:00:00", &end), (List{"2008/05/20 - 2008/06/01"}));
    EXPECT_EQ(FormatOleDateTime(end), "2001/01/01 00:00:00") << "closing day 0 keeps the old period end";
    EXPECT_EQ(Periods(-1, "2008/05/20 10:00:00", "2008/05/20 10:00:00"), (List{"2008/05/20 - 2008/05/20"}));
    EXPECT_TRUE(Periods(20, "2008/05/21 00:00:00", "2008/05/20 00:00:00").empty());
    std::vector<std::string> list;
    BuildPeriodList(list, 20, OleDate::Null(), At("2008/05/20 00:00:00"));
    EXPECT_TRUE(list.empty());
}

}  // namespace
