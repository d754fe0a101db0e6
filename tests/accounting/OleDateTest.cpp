// Local wall-clock dates as OLE day numbers: the calendar, whole seconds, and moving
// by real seconds across the clock changes of several zones.
#include "accounting/OleDate.h"
#include "support/TimeZone.h"

#include <gtest/gtest.h>

using namespace vr31k;
using vr31k::test::ScopedTimeZone;

namespace {

OleDate At(const char* text) {
    const auto date = ParseOleDateTime(text);
    EXPECT_TRUE(date.has_value()) << text;
    return date.value_or(OleDate::Invalid());
}

TEST(OleDate, DayNumbersAndCalendar) {
    EXPECT_DOUBLE_EQ(MakeOleDate(1899, 12, 30).value, 0.0);
    EXPECT_DOUBLE_EQ(MakeOleDate(1900, 1, 1).value, 2.0);
    EXPECT_DOUBLE_EQ(MakeOleDate(2000, 1, 1).value, 36526.0);
    EXPECT_DOUBLE_EQ(MakeOleDate(2008, 5, 20).value, 39588.0);
    EXPECT_DOUBLE_EQ(MakeOleDate(2008, 5, 20, 23, 59, 59).value, 39588.0 + kLastSecondOfDay);
    EXPECT_DOUBLE_EQ(MakeOleDate(2008, 5, 20, 6).value, 39588.25);

    struct { int y, m, d; bool exists; } cases[] = {
        {2008, 2, 29, true}, {2007, 2, 29, false}, {2000, 2, 29, true}, {1900, 2, 29, false},
        {2100, 2, 29, false}, {2400, 2, 29, true}, {2008, 4, 31, false}, {2008, 12, 31, true},
        {2008, 13, 1, false}, {2008, 0, 1, false}, {2008, 1, 0, false}, {99, 1, 1, false}, {10000, 1, 1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DateExists(c.y, c.m, c.d), c.exists) << c.y << "/" << c.m << "/" << c.d;
        EXPECT_EQ(MakeOleDate(c.y, c.m, c.d).IsValid(), c.exists) << c.y << "/" << c.m << "/" << c.d;
    }
    EXPECT_FALSE(MakeOleDate(2008, 1, 1, 24, 0, 0).IsValid());
    EXPECT_FALSE(MakeOleDate(2008, 1, 1, 0, 60, 0).IsValid());
}

TEST(OleDate, SplitRoundsToTheNearestSecondAndFormats) {
    for (const char* text : {"2008/05/20 23:59:59", "2008/02/29 00:00:00", "1999/12/31 12:34:56", "2038/01/19 03:14:08",
                             "1850/06/01 18:00:01"}) {
        EXPECT_EQ(FormatOleDateTime(At(text)), text);
    }
    // Half a second below midnight rounds into the next day.
    const OleDate almost{MakeOleDate(2008, 2, 28).value + 86399.6 / 86400.0, OleDate::Status::Valid};
    EXPECT_EQ(FormatOleDateTime(almost), "2008/02/29 00:00:00");
    EXPECT_EQ(FormatOleDay(MakeOleDate(2008, 5, 20, 10)), "2008/05/20");
    EXPECT_EQ(FormatOleDay(OleDate::Null()), "");
    EXPECT_EQ(FormatOleDay(OleDate::Invalid()), "");

    for (const char* bad : {"2008/02/30", "2008-05-20", "2008/5/20", "20080520", "", "2008/05/20 "}) {
        EXPECT_FALSE(ParseOleDay(bad).has_value()) << bad;
    }
    for (const char* bad : {"2008/05/20 24:00:00", "2008/05/20 10:00", "2008/05/20T10:00:00", "2008/05/20 10:00:60"}) {
        EXPECT_FALSE(ParseOleDateTime(bad).has_value()) << bad;
    }
}

// A connection's start is its end moved back by real seconds.
TEST(OleDate, MovingBackCrossesClockChanges) {
    struct Case {
        const char* zone;
        const char* end;
        int64_t seconds;
        const char* start;
    } cases[] = {
        // No change in between.
        {"Asia/Tokyo", "2008/05/20 10:00:00", 3725, "2008/05/20 08:57:55"},
        {"America/New_York", "2008/05/20 10:00:00", 3725, "2008/05/20 08:57:55"},
        // Spring forward: 02:00-03:00 does not exist, two real hours span three on the clock.
        {"America/New_York", "2021/03/14 03:30:00", 7200, "2021/03/14 00:30:00"},
        {"Europe/Berlin", "2021/03/28 04:00:00", 7200, "2021/03/28 01:00:00"},
        // Fall back: 02:00-03:00 runs twice, three real hours span two on the clock.
        {"Europe/Berlin", "2021/10/31 04:00:00", 3 * 3600, "2021/10/31 02:00:00"},
        {"America/New_York", "2021/11/07 03:00:00", 3 * 3600, "2021/11/07 01:00:00"},
        // Across a leap day and a year end.
        {"Asia/Tokyo", "2008/03/01 01:00:00", 2 * 3600, "2008/02/29 23:00:00"},
        {"Europe/Berlin", "2009/01/01 00:00:10", 20, "2008/12/31 23:59:50"},
        // A connection of 30 days: longer than 2^31 ms.
        {"Asia/Tokyo", "2008/05/31 00:00:00", 30LL * 86400, "2008/05/01 00:00:00"},
    };
    for (const Case& c : cases) {
        ScopedTimeZone zone(c.zone);
        EXPECT_EQ(FormatOleDateTime(OleMinusSeconds(At(c.end), c.seconds)), c.start) << c.zone << " " << c.end;
    }
}

TEST(OleDate, NowFollowsTheLocalZone) {
    const time_t t = 1211295599;  // 2008-05-20 14:59:59 UTC
    struct { const char* zone; const char* local; } cases[] = {
        {"UTC", "2008/05/20 14:59:59"},
        {"Asia/Tokyo", "2008/05/20 23:59:59"},
        {"Europe/Berlin", "2008/05/20 16:59:59"},   // summer time
        {"America/New_York", "2008/05/20 10:59:59"},
    };
    for (const auto& c : cases) {
        ScopedTimeZone zone(c.zone);
        const OleDate local = OleFromTime(t);
        EXPECT_EQ(FormatOleDateTime(local), c.local) << c.zone;
        EXPECT_EQ(OleToTime(local).value_or(0), t) << c.zone;
    }
    ScopedTimeZone zone("Europe/Berlin");
    EXPECT_EQ(FormatOleDateTime(OleFromTime(1200000000)), "2008/01/10 22:20:00");  // winter time
}

}  // namespace
