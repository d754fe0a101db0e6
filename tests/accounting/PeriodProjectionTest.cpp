// Where the billing period will end at its pace so far: the projection over a period's
// days, its warning, the daily budgets and the days each amount would be reached, and
// the charge controller's current period from a real history.
#include "ChargeFixture.h"
#include "accounting/BillingPeriod.h"
#include "accounting/PeriodPace.h"
#include "accounting/PeriodProjection.h"

#include <gtest/gtest.h>

using namespace vr31k;
using vr31k::test::At;

namespace {

constexpr const char* kPeriod = "2008/05/21 - 2008/06/20";  // 31 days

// 1 yen a packet of 128 bytes; the notice at 1000 x 80 % = 800 yen = 102,400 bytes.
DialupSettings MeteredWithNotice() { return test::MakePlan({.notice = 1000, .noticeRatio = 80}); }

// Capped at 4980 yen (3,035,429 bytes); a notice at 4000 yen (2,438,096 bytes) when asked.
DialupSettings Capped(bool withNotice) {
    return test::MakePlan({.type = kChargeMeteredCap, .price = 0.21, .cap = 4980, .notice = withNotice ? 4000 : -1,
                           .noticeRatio = withNotice ? 100 : -1});
}

TEST(PeriodProjection, AtThePaceSoFar) {
    constexpr const char* kNoticeText = "このままのペースでは、締日までに通信料通知の金額(800円)に達する見込みです。";
    constexpr const char* kCapText = "このままのペースでは、締日までにパケット定額料(4,980円)に達する見込みです。";
    struct Case {
        const char* name;
        DialupSettings plan;
        const char* now;
        int64_t bytes;
        int daysLeft;
        int64_t projected;
        int32_t charge;
        ProjectionWarning warning;
        const char* warningText = "";
    } cases[] = {
        {"no traffic yet", MeteredWithNotice(), "2008/06/01 12:00:00", 0, 19, 0, 1, ProjectionWarning::None},
        {"first second", MeteredWithNotice(), "2008/05/21 00:00:00", 0, 30, 0, 1, ProjectionWarning::None},
        {"first hours count as one day", MeteredWithNotice(), "2008/05/21 06:00:00", 1280, 30, 39680, 310,
         ProjectionWarning::None},
        {"last day", MeteredWithNotice(), "2008/06/20 12:00:00", 3050000, 0, 3100000, 24218, ProjectionWarning::None},
        {"crosses the notice", MeteredWithNotice(), "2008/05/31 00:00:00", 40000, 20, 124000, 968,
         ProjectionWarning::Notice, kNoticeText},
        {"notice already reached: no warning", MeteredWithNotice(), "2008/05/31 00:00:00", 110000, 20, 341000, 2664,
         ProjectionWarning::None},
        {"crosses the cap", Capped(false), "2008/05/31 00:00:00", 1000000, 20, 3100000, 4980, ProjectionWarning::Cap,
         kCapText},
        {"crosses notice and cap: the cap is told", Capped(true), "2008/05/31 00:00:00", 1000000, 20, 3100000, 4980,
         ProjectionWarning::Cap, kCapText},
        {"below both", Capped(true), "2008/06/10 00:00:00", 1000000, 10, 1550000, 2542, ProjectionWarning::None},
        {"no price: bytes only", test::MakePlan({.price = -1.0, .notice = 1000, .noticeRatio = 80}),
         "2008/05/31 00:00:00", 40000, 20, 124000, -1, ProjectionWarning::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PeriodProjection p = ProjectPeriod(kPeriod, At(c.now), c.bytes, c.plan, DerivePlan(c.plan));
        ASSERT_TRUE(p.available);
        EXPECT_EQ(p.daysInPeriod, 31);
        EXPECT_EQ(p.daysLeft, c.daysLeft);
        EXPECT_GE(p.elapsedDays, 1.0);
        EXPECT_EQ(p.projectedBytes, c.projected);
        EXPECT_EQ(p.projectedCharge, c.charge);
        EXPECT_EQ(p.warning, c.warning);
        EXPECT_EQ(p.warningText, c.warningText);
    }
}

TEST(PeriodProjection, NoProjectionWithoutAPeriodHoldingNow) {
    DialupSettings noReset = MeteredWithNotice();
    noReset.chargeDay = 0;
    const DialupSettings plan = MeteredWithNotice();
    struct Case {
        const char* name;
        const char* period;
        const char* now;
        const DialupSettings& plan;
    } cases[] = {
        {"closing day: no reset", "2008/05/31 - 2008/05/31", "2008/05/31 12:00:00", noReset},
        {"period over, not yet rolled", kPeriod, "2008/06/21 00:00:00", plan},
        {"before the period", kPeriod, "2008/05/20 23:59:59", plan},
        {"no period", "", "2008/05/31 12:00:00", plan},
    };
    for (const Case& c : cases) {
        const PeriodProjection p = ProjectPeriod(c.period, At(c.now), 5000, c.plan, DerivePlan(c.plan));
        EXPECT_FALSE(p.available) << c.name;
        EXPECT_TRUE(p.warningText.empty()) << c.name;
    }
}

class CurrentPeriodProjection : public test::ChargeFixture {
protected:
    void SetUp() override {
        now = At("2008/05/31 00:00:00");
        Use(MeteredWithNotice());
        ChargeFixture::SetUp();
    }
};

TEST_F(CurrentPeriodProjection, EmptyHistoryThenFinishedConnectionsAndTheLiveOne) {
    charge.RecomputePeriod();
    const PeriodProjection empty = ProjectCurrentPeriod(charge, false);
    ASSERT_TRUE(empty.available);
    EXPECT_EQ(empty.projectedBytes, 0);
    EXPECT_EQ(empty.daysLeft, 20);
    // The period before, then two in the period.
    for (const auto& [end, sent, recv] : {std::tuple{"2008/05/19 10:00:00", 99999, 0},
                                          {"2008/05/25 10:00:00", 10000, 10000}, {"2008/05/30 10:00:00", 20000, 0}}) {
        ASSERT_EQ(Record(end, sent, recv), kDbOk);
    }
    charge.RecomputePeriod();
    ASSERT_EQ(charge.Period().period, kPeriod);
    EXPECT_EQ(ProjectCurrentPeriod(charge, false).projectedBytes, 124000);
    charge.BeginConnection();  // the next connection, not yet in the totals
    charge.Live() = LiveConnection{5000, 5000, 1000, "apn", OleDate::Null()};
    EXPECT_EQ(ProjectCurrentPeriod(charge, true).projectedBytes, 155000);
    EXPECT_EQ(ProjectCurrentPeriod(charge, true).warning, ProjectionWarning::Notice);
}

// ---- How much the period may still use per day, and when it reaches each amount.

// A free allowance of 128,000 bytes, the notice at 2000 yen (384,000 bytes), the cap at
// 3000 yen (640,000 bytes).
DialupSettings TwoStageWithNotice() {
    return test::MakePlan({.type = kChargeTwoStage, .price = 0.5, .freePackets = 1000, .freeFee = 1000, .cap = 3000,
                           .notice = 2000, .noticeRatio = 100});
}

// "F 64000/2064 5/22 5/28": the mark, bytes left / per day, the day by the mean and by
// the last seven days ("-" for none).
std::string Describe(const PeriodPace& pace) {
    std::string out;
    for (const PaceTarget& t : pace.targets) {
        const auto day = [](const std::optional<OleDate>& d) { return d ? FormatPaceDay(*d) : std::string("-"); };
        if (!out.empty()) out += "; ";
        out += std::string(1, "FNCL"[static_cast<int>(t.mark)]) + " " + std::to_string(t.bytesLeft) + "/" +
               std::to_string(t.perDay) + " " + day(t.byMean) + " " + day(t.byWeek);
    }
    return out;
}

TEST(PeriodPace, BudgetsAndDaysOnConstructedPeriods) {
    struct Case {
        const char* name;
        DialupSettings plan;
        const char* now;
        int64_t bytes;
        std::optional<int64_t> week;
        int64_t limit;
        int daysLeft;
        const char* targets;
        const char* line;
    } cases[] = {
        {"first day: its hours count as one day", TwoStageWithNotice(), "2008/05/21 12:00:00", 64000, 60000, 0, 30,
         "F 64000/2064 5/22 5/28; N 320000/10322 5/26 -; C 576000/18580 5/30 -",
         "無料通信分まで 1日あたり 2.0 kBytes (このペースでは 5/22～5/28 頃に到達)"},
        {"last day: today alone is left", Capped(false), "2008/06/20 12:00:00", 3000000, 700000, 0, 0,
         "C 35429/35429 6/20 6/20", "パケット定額料まで 1日あたり 34.6 kBytes (このペースでは 6/20 頃に到達)"},
        {"no traffic yet: never at this pace", MeteredWithNotice(), "2008/06/01 00:00:00", 0, 0, 0, 19,
         "N 102400/5120 - -", "通信料通知まで 1日あたり 5.0 kBytes (このペースでは締日までに到達しません)"},
        {"closing day 30 in February", test::MakePlan({.closingDay = 30}), "2008/02/10 00:00:00", 51200, 24576, 102400,
         19, "L 51200/2560 2/20 2/22",
         "利用上限まで 1日あたり 2.5 kBytes (このペースでは 2/20～2/22 頃に到達)"},
        {"only a cap; the recent pace stays below it", Capped(false), "2008/05/31 00:00:00", 1000000, 350000, 0, 20,
         "C 2035429/96925 6/20 -", "パケット定額料まで 1日あたり 94.7 kBytes (このペースでは 6/20 頃に到達)"},
        {"type 0 without a notice: the mean only", test::MakePlan({}), "2008/05/31 00:00:00", 1000000, 700000, 0, 20,
         "", "1日平均 97.7 kBytes (あと 20 日)"},
        {"flat rate on its last day: the mean only", test::MakePlan({.type = kChargeFlat, .price = 0.21, .cap = 5000}),
         "2008/06/20 00:00:00", 1000000, std::nullopt, 0, 0, "", "1日平均 32.6 kBytes (本日締め)"},
        {"all the plan's amounts passed, the own limit next", TwoStageWithNotice(), "2008/05/31 00:00:00", 700000,
         std::nullopt, 1000000, 20, "F 0/0 - -; N 0/0 - -; C 0/0 - -; L 300000/14285 6/4 -",
         "利用上限まで 1日あたり 14.0 kBytes (このペースでは 6/4 頃に到達)"},
        {"everything passed", TwoStageWithNotice(), "2008/05/31 00:00:00", 700000, 0, 0, 20,
         "F 0/0 - -; N 0/0 - -; C 0/0 - -", "パケット定額料に到達しています"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> periods;
        BuildPeriodList(periods, c.plan.chargeDay, At(c.now), At(c.now));
        ASSERT_EQ(periods.size(), 1u);
        const PeriodPace pace =
            PacePeriod(periods[0], At(c.now), c.bytes, c.week, c.plan, DerivePlan(c.plan), c.limit);
        ASSERT_TRUE(pace.available);
        EXPECT_EQ(pace.daysLeft, c.daysLeft);
        EXPECT_EQ(pace.weekPerDay.has_value(), c.week.has_value());
        EXPECT_EQ(Describe(pace), c.targets);
        EXPECT_EQ(FormatPace(pace), c.line);
    }
    // A history at the largest count (rows of earlier builds): the paces saturate.
    const DialupSettings plan = MeteredWithNotice();
    const PeriodPace huge = PacePeriod(kPeriod, At("2008/05/21 12:00:00"), INT64_MAX, INT64_MAX, plan, DerivePlan(plan));
    EXPECT_EQ(huge.meanPerDay, INT64_MAX);
    EXPECT_GT(huge.weekPerDay.value_or(0), INT64_MAX / 7);
}

TEST(PeriodPace, NothingWithoutAPeriodEnd) {
    DialupSettings noReset = MeteredWithNotice();
    noReset.chargeDay = 0;
    const PeriodPace pace =
        PacePeriod("2008/05/31 - 2008/05/31", At("2008/05/31 12:00:00"), 5000, 5000, noReset, DerivePlan(noReset));
    EXPECT_FALSE(pace.available);
    EXPECT_TRUE(pace.targets.empty());
    EXPECT_EQ(FormatPace(pace), "");
}

TEST_F(CurrentPeriodProjection, PaceFromTheHistorysDaysAndTheLiveConnection) {
    // The period before; one in the period, not in the last seven days; two within them.
    for (const auto& [end, sent, recv] :
         {std::tuple{"2008/05/19 10:00:00", 99999, 0}, {"2008/05/22 10:00:00", 10000, 0},
          {"2008/05/25 10:00:00", 10000, 10000}, {"2008/05/30 10:00:00", 20000, 0}}) {
        ASSERT_EQ(Record(end, sent, recv), kDbOk);
    }
    charge.RecomputePeriod();
    PeriodPace pace = PaceCurrentPeriod(charge, false);
    EXPECT_EQ(pace.meanPerDay, 5000);
    EXPECT_EQ(pace.weekPerDay, 6667);
    EXPECT_EQ(Describe(pace), "N 52400/2495 6/10 6/7");
    charge.BeginConnection();
    charge.Live() = LiveConnection{5000, 5000, 1000, "apn", OleDate::Null()};
    pace = PaceCurrentPeriod(charge, true, 70000);
    EXPECT_EQ(pace.meanPerDay, 6000);
    EXPECT_EQ(pace.weekPerDay, 50000 / 6);
    EXPECT_EQ(Describe(pace), "N 42400/2019 6/7 6/5; L 10000/476 6/1 6/1");
}

}  // namespace
