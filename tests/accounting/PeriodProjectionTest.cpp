// Where the billing period will end at its pace so far: the projection over a period's
// days, its warning, and the charge controller's current period from a real history.
#include "accounting/PeriodProjection.h"
#include "accounting/EntryCredentialStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace vr31k;

namespace {

OleDate At(const char* text) { return ParseOleDateTime(text).value(); }

constexpr const char* kPeriod = "2008/05/21 - 2008/06/20";  // 31 days

// 1 yen a packet of 128 bytes; the notice at 1000 x 80 % = 800 yen = 102,400 bytes.
DialupSettings MeteredWithNotice() {
    DialupSettings plan;
    plan.chargeType = kChargeMetered;
    plan.packetCharge2 = 1.0;
    plan.noticeCharge = 1000;
    plan.noticeRatio = 80;
    plan.chargeDay = 20;
    return plan;
}

// Capped at 4980 yen (3,035,429 bytes); a notice at 4000 yen (2,438,096 bytes) when asked.
DialupSettings Capped(bool withNotice) {
    DialupSettings plan;
    plan.chargeType = kChargeMeteredCap;
    plan.packetCharge2 = 0.21;
    plan.maxCharge2 = 4980;
    plan.noticeCharge = withNotice ? 4000 : -1;
    plan.noticeRatio = withNotice ? 100 : -1;
    plan.chargeDay = 20;
    return plan;
}

TEST(PeriodProjection, AtThePaceSoFar) {
    struct Case {
        const char* name;
        DialupSettings plan;
        const char* now;
        int64_t bytes;
        int daysLeft;
        int64_t projected;
        int32_t charge;
        ProjectionWarning warning;
    } cases[] = {
        {"no traffic yet", MeteredWithNotice(), "2008/06/01 12:00:00", 0, 19, 0, 1, ProjectionWarning::None},
        {"first second", MeteredWithNotice(), "2008/05/21 00:00:00", 0, 30, 0, 1, ProjectionWarning::None},
        {"first hours count as one day", MeteredWithNotice(), "2008/05/21 06:00:00", 1280, 30, 39680, 310,
         ProjectionWarning::None},
        {"last day", MeteredWithNotice(), "2008/06/20 12:00:00", 3050000, 0, 3100000, 24218, ProjectionWarning::None},
        {"crosses the notice", MeteredWithNotice(), "2008/05/31 00:00:00", 40000, 20, 124000, 968,
         ProjectionWarning::Notice},
        {"notice already reached: no warning", MeteredWithNotice(), "2008/05/31 00:00:00", 110000, 20, 341000, 2664,
         ProjectionWarning::None},
        {"crosses the cap", Capped(false), "2008/05/31 00:00:00", 1000000, 20, 3100000, 4980, ProjectionWarning::Cap},
        {"crosses notice and cap: the cap is told", Capped(true), "2008/05/31 00:00:00", 1000000, 20, 3100000, 4980,
         ProjectionWarning::Cap},
        {"below both", Capped(true), "2008/06/10 00:00:00", 1000000, 10, 1550000, 2542, ProjectionWarning::None},
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
        EXPECT_EQ(p.warningText.empty(), c.warning == ProjectionWarning::None);
    }
}

TEST(PeriodProjection, WarningTexts) {
    const DialupSettings notice = MeteredWithNotice();
    EXPECT_EQ(ProjectPeriod(kPeriod, At("2008/05/31 00:00:00"), 40000, notice, DerivePlan(notice)).warningText,
              "このままのペースでは、締日までに通信料通知の金額(800円)に達する見込みです。");
    const DialupSettings cap = Capped(false);
    EXPECT_EQ(ProjectPeriod(kPeriod, At("2008/05/31 00:00:00"), 1000000, cap, DerivePlan(cap)).warningText,
              "このままのペースでは、締日までにパケット定額料(4,980円)に達する見込みです。");
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

TEST(PeriodProjection, NoPlanProjectsBytesOnly) {
    DialupSettings plan = MeteredWithNotice();
    plan.packetCharge2 = -1.0;
    const PeriodProjection p = ProjectPeriod(kPeriod, At("2008/05/31 00:00:00"), 40000, plan, DerivePlan(plan));
    EXPECT_EQ(p.projectedBytes, 124000);
    EXPECT_EQ(p.projectedCharge, -1);
    EXPECT_EQ(p.warning, ProjectionWarning::None);
}

class CurrentPeriodProjection : public ::testing::Test {
protected:
    test::TempDir dir;
    ChargeAccounting charge;
    OleDate now = At("2008/05/31 00:00:00");

    void SetUp() override {
        charge.SetClock([this] { return now; });
        charge.Plan() = MeteredWithNotice();
        charge.DerivePlan();
        ASSERT_EQ(charge.History().OpenHistory(dir.File("VR31KUTL.mdb"), kPassPhrase), kDbOk);
    }
    void Record(const char* end, int64_t sent, int64_t recv) {
        charge.Live() = LiveConnection{sent, recv, 1000, "apn", At(end)};
        ASSERT_EQ(charge.RecordConnection(false), kDbOk);
    }
};

TEST_F(CurrentPeriodProjection, EmptyHistory) {
    charge.RecomputePeriod();
    const PeriodProjection p = ProjectCurrentPeriod(charge, false);
    ASSERT_TRUE(p.available);
    EXPECT_EQ(p.projectedBytes, 0);
    EXPECT_EQ(p.daysLeft, 20);
}

TEST_F(CurrentPeriodProjection, FinishedConnectionsAndTheLiveOne) {
    Record("2008/05/19 10:00:00", 99999, 0);  // the period before
    Record("2008/05/25 10:00:00", 10000, 10000);
    Record("2008/05/30 10:00:00", 20000, 0);
    charge.RecomputePeriod();
    ASSERT_EQ(charge.Period().period, kPeriod);
    EXPECT_EQ(ProjectCurrentPeriod(charge, false).projectedBytes, 124000);
    charge.BeginConnection();  // the next connection, not yet in the totals
    charge.Live() = LiveConnection{5000, 5000, 1000, "apn", OleDate::Null()};
    EXPECT_EQ(ProjectCurrentPeriod(charge, true).projectedBytes, 155000);
    EXPECT_EQ(ProjectCurrentPeriod(charge, true).warning, ProjectionWarning::Notice);
}

}  // namespace
