// The charge controller's accounting over a real history file: the period and its
// rollover, the notice, recording a connection, and pruning to fifteen periods.
#include "ChargeFixture.h"
#include "support/TimeZone.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vr31k;
using vr31k::test::At;

namespace {

using ChargeAccountingTest = test::ChargeFixture;

TEST_F(ChargeAccountingTest, PeriodRolloverAtTheClosingSecond) {
    Use(test::MakePlan({}));
    ASSERT_EQ(Record("2008/05/10 10:00:00", 100, 200), kDbOk);
    ASSERT_EQ(Record("2008/04/20 10:00:00", 5000, 5000), kDbOk);  // the period before

    now = At("2008/05/20 23:59:59");
    charge.RecomputePeriod();
    EXPECT_EQ(charge.Period().period, "2008/04/21 - 2008/05/20");
    EXPECT_EQ(FormatOleDateTime(charge.Period().periodEnd), "2008/05/20 23:59:59");
    EXPECT_EQ(charge.Period().periodBytes, 300);
    EXPECT_FALSE(charge.IsPeriodOver());

    now = At("2008/05/21 00:00:00");
    EXPECT_TRUE(charge.IsPeriodOver());
    charge.RecomputePeriod();
    EXPECT_EQ(charge.Period().period, "2008/05/21 - 2008/06/20");
    EXPECT_EQ(charge.Period().periodBytes, 0);
    EXPECT_FALSE(charge.IsPeriodOver());
}

TEST_F(ChargeAccountingTest, NoResetCountsTodayOnly) {
    Use(test::MakePlan({.closingDay = 0}));
    Record("2008/05/19 23:59:59", 1000, 0);
    Record("2008/05/20 00:00:00", 10, 0);
    charge.RecomputePeriod();
    EXPECT_EQ(charge.Period().period, "2008/05/20 - 2008/05/20");
    EXPECT_EQ(charge.Period().periodBytes, 10);
    now = At("2030/01/01 00:00:00");
    EXPECT_FALSE(charge.IsPeriodOver());
}

TEST_F(ChargeAccountingTest, NoticeFiresOncePerPeriod) {
    Use(test::MakePlan({.notice = 1000, .noticeRatio = 80}));
    ASSERT_EQ(charge.Derived().noticeBytes, 102400);
    Record("2008/05/02 10:00:00", 30000, 30000);
    charge.RecomputePeriod();
    EXPECT_EQ(charge.Period().noticeLeft, 42400);

    charge.BeginConnection();
    charge.Live() = LiveConnection{};
    charge.Live().sent = 42399;
    EXPECT_FALSE(charge.CheckNotice());
    charge.Live().sent = 42400;
    EXPECT_TRUE(charge.CheckNotice());
    charge.Live().sent = 90000;
    EXPECT_FALSE(charge.CheckNotice()) << "never again in the period";
    EXPECT_EQ(charge.Period().noticeLeft, 0);

    // A finished connection uses up the notice bytes too.
    charge.RecomputePeriod();
    ASSERT_EQ(charge.Period().noticeLeft, 42400);
    Record("2008/05/20 11:00:00", 40000, 0);
    EXPECT_EQ(charge.Period().noticeLeft, 2400);
    charge.BeginConnection();
    charge.Live() = LiveConnection{};
    charge.Live().recv = 2400;
    EXPECT_TRUE(charge.CheckNotice());
}

// The tick at a connection's end comes after its row is written: its bytes are in the
// totals then and must not reach the notice a second time, nor use it up.
TEST_F(ChargeAccountingTest, NoticeCountsOnlyBytesNotYetRecorded) {
    Use(test::MakePlan({.notice = 1000, .noticeRatio = 80}));
    charge.RecomputePeriod();
    charge.BeginConnection();
    charge.Live() = LiveConnection{30000, 30000, 1000, "apn", At("2008/05/20 11:00:00")};
    EXPECT_FALSE(charge.CheckNotice());
    charge.RecordConnection(false);
    EXPECT_FALSE(charge.CheckNotice()) << "the recorded 60,000 bytes are no new usage";
    EXPECT_EQ(charge.Period().noticeLeft, 42400);
    charge.BeginConnection();
    charge.Live() = LiveConnection{42400, 0, 1000, "apn", OleDate::Null()};
    EXPECT_TRUE(charge.CheckNotice()) << "the genuine notice still comes";
}

TEST_F(ChargeAccountingTest, RecordedRowCarriesChargeAndRemainders) {
    Use(test::MakePlan({.type = kChargeTwoStage, .price = 0.5, .freePackets = 1000, .freeFee = 1000, .cap = 3000}));
    charge.RecomputePeriod();
    ASSERT_EQ(Record("2008/05/20 10:00:00", 100000, 28000 + 1280, 3725900), kDbOk);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(FormatOleDateTime(rows[0].start), "2008/05/20 08:57:55");
    EXPECT_EQ(FormatOleDateTime(rows[0].end), "2008/05/20 10:00:00");
    EXPECT_EQ(std::llround(rows[0].duration * kSecondsPerDay), 3725);
    EXPECT_EQ(rows[0].charge, 1005);
    EXPECT_EQ(rows[0].leftFree, 0);
    EXPECT_EQ(rows[0].leftLimit, 640000 - 129280);
    EXPECT_EQ(charge.Period().periodBytes, 129280);
    EXPECT_EQ(charge.Period().limitLeft, 640000 - 129280);
    EXPECT_FALSE(charge.Live().endTime.IsValid()) << "the end time is cleared";
    // Recorded, the live bytes are in the period's totals: figures shown afterwards (the
    // result dialog) count them once, until the next connection begins.
    int64_t bytes = 0, freeLeft = 0, limitLeft = 0;
    EXPECT_EQ(charge.ComputePeriodCharge(bytes, freeLeft, limitLeft, true), 1005);
    EXPECT_EQ(limitLeft, 640000 - 129280);
    charge.BeginConnection();
    EXPECT_EQ(charge.UncountedLiveBytes(), 129280);

    // Not stamped: nothing is written.
    EXPECT_EQ(charge.RecordConnection(false), kRecordNotStamped);
    EXPECT_EQ(Rows().size(), 1u);

    // No plan: the charge is stored empty.
    charge.Plan().chargeType = -1;
    charge.DerivePlan();
    ASSERT_EQ(Record("2008/05/20 11:00:00", 1, 1), kDbOk);
    EXPECT_EQ(Rows().back().charge, std::nullopt);

    // Stamped now, at log-off.
    charge.Live() = LiveConnection{1, 1, 5000, "apn", OleDate::Null()};
    now = At("2008/05/20 12:34:56");
    ASSERT_EQ(charge.RecordConnection(true), kDbOk);
    EXPECT_EQ(FormatOleDateTime(Rows().back().end), "2008/05/20 12:34:56");
    EXPECT_EQ(FormatOleDateTime(Rows().back().start), "2008/05/20 12:34:51");
}

TEST_F(ChargeAccountingTest, LongConnectionsAndClockChanges) {
    Use(test::MakePlan({}));
    // 30 days: beyond 2^31 ms.
    ASSERT_EQ(Record("2008/05/31 00:00:00", 1, 1, 30LL * 86400 * 1000 + 999), kDbOk);
    EXPECT_EQ(FormatOleDateTime(Rows().back().start), "2008/05/01 00:00:00");
    EXPECT_EQ(std::llround(Rows().back().duration * kSecondsPerDay), 30 * 86400);

    test::ScopedTimeZone zone("Europe/Berlin");
    ASSERT_EQ(Record("2021/03/28 04:00:00", 1, 1, 2 * 3600 * 1000), kDbOk);
    EXPECT_EQ(FormatOleDateTime(Rows().back().start), "2021/03/28 01:00:00");
}

TEST_F(ChargeAccountingTest, PruningKeepsTheFifteenNewestPeriodsOfTheClosingDay) {
    Use(test::MakePlan({.closingDay = 0}));  // pruning then counts calendar months
    // One row a month from 2007/01 to 2008/03: fifteen months.
    for (int i = 0; i < 15; ++i) {
        char end[32];
        std::snprintf(end, sizeof end, "%04d/%02d/15 10:00:00", 2007 + i / 12, i % 12 + 1);
        ASSERT_EQ(Record(end, 1, 1), kDbOk);
    }
    ASSERT_EQ(Rows().size(), 15u) << "fifteen periods stay";
    // A row in a sixteenth, older month goes at once, up to its month's last second.
    Record("2006/12/31 23:59:59", 1, 1);
    EXPECT_EQ(Rows().size(), 15u);
    // A sixteenth, newer month: the oldest month goes.
    Record("2008/04/01 00:00:00", 1, 1);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 15u);
    for (const auto& r : rows) EXPECT_GE(r.end.value, At("2007/02/01 00:00:00").value) << FormatOleDateTime(r.end);

    // With a closing day the periods follow it.
    ASSERT_EQ(charge.History().ClearHistory(), kDbOk);
    Use(test::MakePlan({}));
    Record("2007/01/20 23:59:59", 1, 1);  // period 2006/12/21 - 2007/01/20
    Record("2007/01/21 00:00:00", 1, 1);  // period 2007/01/21 - 2007/02/20
    Record("2008/03/21 00:00:00", 1, 1);  // period 2008/03/21 - 2008/04/20: sixteen in all
    std::vector<std::string> ends;
    for (const auto& r : Rows()) ends.push_back(FormatOleDateTime(r.end));
    EXPECT_EQ(ends, (std::vector<std::string>{"2007/01/21 00:00:00", "2008/03/21 00:00:00"}));
}

TEST_F(ChargeAccountingTest, ClosedHistorySkipsTheDatabaseWork) {
    Use(test::MakePlan({.notice = 1000, .noticeRatio = 80}));
    charge.History().CloseHistory();
    charge.RecomputePeriod();
    EXPECT_EQ(charge.Period().periodBytes, 0);
    EXPECT_EQ(charge.Period().noticeLeft, 102400);
    EXPECT_EQ(Record("2008/05/20 10:00:00", 10, 10), kDbNotOpen);
    EXPECT_EQ(charge.Period().periodBytes, 20) << "the running totals still advance";
}

}  // namespace
