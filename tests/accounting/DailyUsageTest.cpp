// A billing period day by day: every day present, bytes by end date, the running charge
// under the plan, today, the plan's amounts, and the unit of the byte axis.
#include "ChargeFixture.h"
#include "accounting/DailyUsage.h"

#include <gtest/gtest.h>

using namespace vr31k;

namespace {

HistoryRow EndedAt(const char* end, int64_t sent, int64_t recv) {
    return {"apn.example.jp", test::At(end), test::At(end), 0.0, sent, recv, std::nullopt, std::nullopt, std::nullopt};
}

struct Period : test::ChargeFixture {
    void SetUp() override {
        now = MakeOleDate(2008, 5, 1, 12, 0, 0);
        ChargeFixture::SetUp();
        // Metered with a free allowance: 1000 yen for 1000 packets of 128 bytes, then 0.5 yen a packet.
        Use(test::MakePlan({.type = kChargeMeteredFree, .price = 0.5, .freePackets = 1000, .freeFee = 1000,
                            .notice = 2000, .noticeRatio = 80}));
    }
};

TEST_F(Period, EveryDayWithTheBytesOfTheConnectionsThatEndedThatDay) {
    ASSERT_EQ(charge.History().InsertRows({
                  EndedAt("2008/04/20 23:59:59", 5000, 5000),      // the period before
                  EndedAt("2008/04/21 00:00:00", 100000, 28000),   // first second
                  EndedAt("2008/04/21 18:00:00", 1000, 0),
                  EndedAt("2008/04/25 09:00:00", 0, 128000),
                  EndedAt("2008/05/20 23:59:59", 256, 0),          // last second
                  EndedAt("2008/05/21 00:00:00", 7, 7),            // the period after
              }),
              kDbOk);
    DailyUsage usage;
    ASSERT_EQ(BuildDailyUsage(charge, "2008/04/21 - 2008/05/20", usage), kDbOk);
    ASSERT_EQ(usage.days.size(), 30u);
    EXPECT_EQ(FormatOleDay(usage.days.front().day), "2008/04/21");
    EXPECT_EQ(FormatOleDay(usage.days.back().day), "2008/05/20");

    // Past the 128,000 free bytes every whole packet costs 0.5 yen, truncated.
    struct Expect {
        size_t index;
        int64_t bytes, cumulative;
        int32_t charge;
    } const expected[] = {
        {0, 129000, 129000, 1003},   // 7 packets past the allowance
        {1, 0, 129000, 1003},
        {4, 128000, 257000, 1503},   // 1,007 packets
        {29, 256, 257256, 1504},     // 1,009 packets
    };
    for (const Expect& e : expected) {
        const DailyUsagePoint& p = usage.days[e.index];
        EXPECT_EQ(p.bytes, e.bytes) << e.index;
        EXPECT_EQ(p.cumulativeBytes, e.cumulative) << e.index;
        EXPECT_EQ(p.cumulativeCharge, e.charge) << e.index;
    }
    EXPECT_EQ(usage.todayIndex, 10);  // 2008/05/01
    EXPECT_EQ(usage.freeAmount, 1000);
    EXPECT_EQ(usage.cap, 0);
    EXPECT_EQ(usage.noticeAmount, 1600);
    EXPECT_FALSE(usage.projectedCharge);
}

TEST_F(Period, AnEmptyPeriodCostsThePlansChargeForNothing) {
    now = MakeOleDate(2009, 1, 1);
    DailyUsage usage;
    ASSERT_EQ(BuildDailyUsage(charge, "2008/02/21 - 2008/03/20", usage), kDbOk);
    ASSERT_EQ(usage.days.size(), 29u);  // a leap year
    for (const DailyUsagePoint& p : usage.days) {
        EXPECT_EQ(p.cumulativeBytes, 0);
        EXPECT_EQ(p.cumulativeCharge, 1000);
    }
    EXPECT_EQ(usage.todayIndex, -1);

    charge.Plan().freeCall1 = -1;  // incomplete: no charge, no amounts
    charge.DerivePlan();
    ASSERT_EQ(BuildDailyUsage(charge, "2008/02/21 - 2008/03/20", usage), kDbOk);
    EXPECT_EQ(usage.days.back().cumulativeCharge, -1);
    EXPECT_EQ(usage.freeAmount, 0);
    EXPECT_EQ(usage.noticeAmount, 0);
}

TEST_F(Period, AMalformedPeriodIsRefusedWithNothingFilled) {
    DailyUsage usage;
    for (const char* bad : {"", "2008/04/21", "2008/04/21 - 2008/02/30", "2008/05/20 - 2008/04/21",
                            "2008/04/21 -- 2008/05/20", "1900/01/01 - 2099/12/31"}) {
        EXPECT_EQ(BuildDailyUsage(charge, bad, usage), kDbBadArgument) << bad;
        EXPECT_TRUE(usage.days.empty()) << bad;
    }
}

TEST(ByteUnit, TheLargestUnitTheMaximumFills) {
    struct Case {
        int64_t max;
        const char* name;
        double divisor;
    } const cases[] = {
        {0, "Bytes", 1},           {1023, "Bytes", 1},          {1024, "kBytes", 1024},
        {1048575, "kBytes", 1024}, {1048576, "MBytes", 1048576}, {int64_t{5} << 40, "GBytes", 1073741824.0},
    };
    for (const Case& c : cases) {
        const ByteUnit unit = ByteUnitFor(c.max);
        EXPECT_STREQ(unit.name, c.name) << c.max;
        EXPECT_EQ(unit.divisor, c.divisor) << c.max;
    }
}

}  // namespace
