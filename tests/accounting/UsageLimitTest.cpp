// The user's own limit on a period's use: where it lies under the plan, the state of a
// period against it, the refusal of a new dial, the values the user may set, and the
// warning for a sudden burst.
#include "ChargeFixture.h"
#include "accounting/UsageLimit.h"

#include <gtest/gtest.h>

#include <climits>

using namespace vr31k;

namespace {

// 1 yen a packet of 128 bytes: 1000 yen is 128,000 bytes. With `freeFee`, a free
// allowance of 1000 packets (128,000 bytes) for that fee.
DialupSettings Plan(int32_t type, int32_t freeFee = -1, int32_t cap = -1) {
    return test::MakePlan({.type = type, .freePackets = 1000, .freeFee = freeFee, .cap = cap});
}

LimitSettings Limit(int32_t kind, int64_t amount, int32_t warnRatio = 80) {
    LimitSettings limit;
    limit.kind = kind;
    if (kind == kLimitCharge) limit.charge = static_cast<int32_t>(amount);
    if (kind == kLimitBytes) limit.bytes = amount;
    limit.warnRatio = warnRatio;
    return limit;
}

TEST(UsageLimit, StateOfThePeriodWithTheLiveConnection) {
    struct Case {
        const char* name;
        LimitSettings limit;
        DialupSettings plan;
        int64_t period, live, over;
        LimitState state;
        int64_t limitBytes, warnBytes, left;
    } cases[] = {
        {"off by default", LimitSettings{}, Plan(kChargeMetered), 1 << 30, 0, 0, LimitState::Off, 0, 0, 0},
        {"bytes: below", Limit(kLimitBytes, 100000), Plan(kChargeNone), 50000, 29999, 0, LimitState::Below, 100000,
         80000, 20001},
        {"bytes: the live bytes cross the share", Limit(kLimitBytes, 100000), Plan(kChargeNone), 50000, 30000, 0,
         LimitState::Warning, 100000, 80000, 20000},
        {"bytes: at the limit", Limit(kLimitBytes, 100000), Plan(kChargeNone), 60000, 40000, 0, LimitState::Reached,
         100000, 80000, 0},
        {"bytes: allowed past it for this connection", Limit(kLimitBytes, 100000), Plan(kChargeNone), 60000, 40000,
         5000, LimitState::Warning, 100000, 80000, 5000},
        {"bytes: no end allowed", Limit(kLimitBytes, 100000), Plan(kChargeNone), INT64_MAX, 1, INT64_MAX,
         LimitState::Warning, 100000, 80000, 0},
        {"bytes: no warning share", Limit(kLimitBytes, 100000, 0), Plan(kChargeNone), 99999, 0, 0, LimitState::Below,
         100000, 0, 1},
        {"charge, metered: the notice's rule", Limit(kLimitCharge, 1000), Plan(kChargeMetered), 102400, 0, 0,
         LimitState::Warning, 128000, 102400, 25600},
        {"charge above the free fee", Limit(kLimitCharge, 1500), Plan(kChargeMeteredFree, 1000), 191999, 1, 0,
         LimitState::Reached, 192000, 128000 + 25600, 0},
        {"charge share the free fee covers: no warning", Limit(kLimitCharge, 1200), Plan(kChargeMeteredFree, 1000),
         128000, 0, 0, LimitState::Below, 153600, 0, 25600},
        {"charge the free fee covers: does not apply", Limit(kLimitCharge, 1000), Plan(kChargeMeteredFree, 1000),
         500000, 0, 0, LimitState::Off, 0, 0, 0},
        {"charge above the cap: never reached", Limit(kLimitCharge, 3000), Plan(kChargeMeteredCap, -1, 2000),
         1 << 30, 0, 0, LimitState::Off, 0, 0, 0},
        {"charge on a flat rate: does not apply", Limit(kLimitCharge, 3000), Plan(kChargeFlat, -1, 5000), 1 << 30, 0,
         0, LimitState::Off, 0, 0, 0},
        {"charge without a plan: does not apply", Limit(kLimitCharge, 3000), Plan(kChargeNone), 1 << 30, 0, 0,
         LimitState::Off, 0, 0, 0},
        {"bytes unset", Limit(kLimitBytes, -1), Plan(kChargeMetered), 1 << 30, 0, 0, LimitState::Off, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LimitStatus s = CheckLimit(c.limit, c.plan, DerivePlan(c.plan), c.period, c.live, c.over);
        EXPECT_EQ(s.state, c.state);
        EXPECT_EQ(s.limitBytes, c.limitBytes);
        EXPECT_EQ(s.warnBytes, c.warnBytes);
        EXPECT_EQ(s.bytesLeft, c.left);
        EXPECT_EQ(LimitProblem(c.limit, c.plan, DerivePlan(c.plan)).empty(),
                  c.limit.kind != kLimitCharge || c.limitBytes > 0);
    }
}

TEST(UsageLimit, ValuesTheUserMaySet) {
    struct Case {
        LimitFieldCheck (*check)(std::string_view);
        const char* text;
        bool ok;
        int64_t value;
    } cases[] = {
        {CheckLimitBytes, "500M", true, 500LL << 20},  {CheckLimitBytes, "1.5g", true, 3LL << 29},
        {CheckLimitBytes, "2048", true, 2048},          {CheckLimitBytes, "1023", false, 0},
        {CheckLimitBytes, "0", false, 0},               {CheckLimitBytes, "1025T", false, 0},
        {CheckLimitBytes, "1.5", false, 0},             {CheckLimitBytes, "-5M", false, 0},
        {CheckLimitBytes, "M", false, 0},               {CheckLimitBytes, "5MB", false, 0},
        {CheckLimitBytes, ".5G", false, 0},             {CheckBurstBytes, "0", true, 0},
        {CheckBurstBytes, "50m", true, 50LL << 20},     {CheckBurstBytes, "", false, 0},
        {CheckLimitCharge, "3000", true, 3000},         {CheckLimitCharge, "0", false, 0},
        {CheckLimitCharge, "1000000", false, 0},        {CheckLimitCharge, "3e3", false, 0},
        {CheckWarnRatio, "0", true, 0},                 {CheckWarnRatio, "99", true, 99},
        {CheckWarnRatio, "100", false, 0},              {CheckWarnRatio, " 80", false, 0},
    };
    for (const Case& c : cases) {
        const LimitFieldCheck check = c.check(c.text);
        EXPECT_EQ(check.ok, c.ok) << c.text;
        EXPECT_EQ(check.value, c.value) << c.text;
        EXPECT_EQ(check.text.empty(), c.ok) << c.text;
    }
    EXPECT_EQ(CheckLimitBytes("1").text, "1k から 1024T までの値を入力してください。");
    EXPECT_EQ(CheckBurstBytes("1").text, "0 から 1024T までの値を入力してください。");
    // A stored size shows as a text the check reads back as the same size.
    const std::pair<int64_t, const char*> sizes[] = {
        {0, "0"}, {1024, "1k"}, {1536, "1536"}, {3LL << 29, "1536M"}, {2LL << 30, "2G"}, {kMaxLimitBytes, "1024T"}, {-1, ""}};
    for (const auto& [size, text] : sizes) {
        EXPECT_EQ(LimitSizeText(size), text);
        if (size >= 0) {
            EXPECT_EQ(CheckBurstBytes(text).value, size) << text;
        }
    }
}

TEST(UsageLimit, TextsNameTheLimit) {
    EXPECT_EQ(LimitWarningText(Limit(kLimitCharge, 3000)),
              "この期間の通信量が利用上限(3,000円)の 80％ に達しました。\n利用上限に達すると接続を切断します。");
    EXPECT_EQ(LimitConnectAnywayText(Limit(kLimitBytes, 500LL << 20), 50LL << 20),
              "この期間の通信量は利用上限(500 MBytes)に達しています。\nあと 50.0 MBytes まで超過して接続しますか?");
    EXPECT_EQ(BurstWarningText(100LL << 20), "直近10分間の通信量が 100 MBytes を超えました。");
}

using UsageLimitOverHistory = test::ChargeFixture;

TEST_F(UsageLimitOverHistory, ANewDialIsRefusedOnceTheRecordedPeriodReachesIt) {
    now = test::At("2008/05/31 00:00:00");
    Use(Plan(kChargeMetered));
    const LimitSettings limit = Limit(kLimitBytes, 100000);
    charge.RecomputePeriod();
    EXPECT_EQ(LimitRefusal(charge, limit, false), std::nullopt);
    ASSERT_EQ(Record("2008/05/30 10:00:00", 60000, 40000), kDbOk);
    EXPECT_EQ(LimitRefusal(charge, limit, false),
              "この期間の通信量が利用上限(97.7 kBytes)に達しているため、接続しません。");
    EXPECT_EQ(LimitRefusal(charge, limit, true), std::nullopt) << "--over-limit";
    EXPECT_EQ(LimitRefusal(charge, LimitSettings{}, false), std::nullopt) << "off";
}

TEST(UsageLimit, ABurstWarnsOnceADay) {
    const OleDate day1 = test::At("2008/05/30 10:00:00");
    const OleDate day2 = test::At("2008/05/31 10:00:00");
    struct Step {
        double seconds;
        OleDate now;
        int64_t bytes;
        bool fires;
    } steps[] = {
        {0, day1, 0, false},          {300, day1, 900, false},     {600, day1, 1000, false},  // 1000 in ten minutes
        {900, day1, 1900, false},     // 1000 since the sample ten minutes before
        {901, day1, 2001, true},      {902, day1, 9000, false},    // quiet for the day
        {903, day2, 10, false},       // a new connection: counted afresh
        {904, day2, 1011, true},
    };
    BurstWatch watch;
    for (const Step& s : steps) EXPECT_EQ(watch.Tick(s.seconds, s.now, s.bytes, 1000), s.fires) << s.seconds;
    BurstWatch off;
    EXPECT_FALSE(off.Tick(0, day1, 0, 0));
    EXPECT_FALSE(off.Tick(1, day1, 1 << 30, 0));
}

}  // namespace
