// The plan's derived values and the charge for a period total: the worked examples,
// the mended edges, and a second computation written straight from the rules.
#include "accounting/ChargePlan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace vr31k;

namespace {

DialupSettings Plan(int type, double price, int packetSize = 128) {
    DialupSettings s;
    s.chargeType = type;
    s.packetCharge2 = price;
    s.packetSize = packetSize;
    return s;
}

int32_t Charge(const DialupSettings& s, int64_t total) {
    const DerivedPlan plan = DerivePlan(s);
    return ComputeCharge(s, plan, total, Remaining(plan.freeBytes, total), Remaining(plan.limitBytes, total));
}

TEST(ChargePlan, MeteredNeverBelowOneYen) {
    const DialupSettings s = Plan(kChargeMetered, 0.5);
    EXPECT_EQ(DerivePlan(s), (DerivedPlan{kChargeMetered, 0, 0, 0, 0, 0}));
    struct { int64_t bytes; int32_t yen; } rows[] = {{0, 1}, {127, 1}, {1280, 5}, {2560, 10}, {2687, 10}};
    for (const auto& r : rows) EXPECT_EQ(Charge(s, r.bytes), r.yen) << r.bytes;
}

TEST(ChargePlan, FreeAllowance) {
    DialupSettings s = Plan(kChargeMeteredFree, 0.5);
    s.freePackets = 1000;
    s.freeCall1 = 1000;
    const DerivedPlan plan = DerivePlan(s);
    EXPECT_EQ(plan.freeBytes, 128000);
    EXPECT_EQ(plan.freeAmount, 1000);
    EXPECT_EQ(plan.limitBytes, 0);
    struct { int64_t bytes; int32_t yen; } rows[] = {
        {0, 1000}, {127999, 1000}, {128000, 1000}, {128127, 1000}, {128128, 1000}, {128256, 1001},
        {128000 + 128 * 1999, 1999}};
    for (const auto& r : rows) EXPECT_EQ(Charge(s, r.bytes), r.yen) << r.bytes;

    s.freeCall1 = -1;  // unset: no plan
    EXPECT_EQ(DerivePlan(s).type, kChargeNone);
    EXPECT_EQ(Charge(s, 5000), -1);
}

TEST(ChargePlan, CapAndTwoStage) {
    DialupSettings cap = Plan(kChargeMeteredCap, 0.21);
    cap.maxCharge2 = 4980;
    EXPECT_EQ(DerivePlan(cap).limitBytes, 3035429);
    EXPECT_EQ(Charge(cap, 3035428), static_cast<int32_t>(3035428 / 128 * 0.21));
    EXPECT_EQ(Charge(cap, 3035429), 4980);
    EXPECT_EQ(Charge(cap, int64_t{1} << 50), 4980);

    DialupSettings two = Plan(kChargeTwoStage, 0.5);
    two.freePackets = 1000;
    two.freeCall1 = 1000;
    two.maxCharge2 = 3000;
    const DerivedPlan plan = DerivePlan(two);
    EXPECT_EQ(plan.limitBytes, 128000 + 2000 * 128 / 0.5);  // 640,000
    EXPECT_EQ(Charge(two, 100), 1000);
    EXPECT_EQ(Charge(two, 128000 + 1280), 1005);
    EXPECT_EQ(Charge(two, 640000), 3000);

    two.maxCharge2 = 500;  // below the free fee: x < 0, so the cap follows the allowance at once
    EXPECT_EQ(DerivePlan(two).limitBytes, 0);
    EXPECT_EQ(Charge(two, 100), 1000);
    EXPECT_EQ(Charge(two, 128000), 500);
}

TEST(ChargePlan, FlatRateAndUnknownTypes) {
    DialupSettings flat = Plan(kChargeFlat, -1.0);
    flat.maxCharge2 = 5000;
    flat.noticeCharge = 1000;
    flat.noticeRatio = 80;
    const DerivedPlan plan = DerivePlan(flat);
    EXPECT_EQ(plan.type, kChargeFlat);
    EXPECT_EQ(plan.limitBytes, 0);
    EXPECT_EQ(plan.noticeBytes, 0);
    EXPECT_EQ(Charge(flat, 0), 5000);
    EXPECT_EQ(Charge(flat, int64_t{1} << 60), 5000);

    for (int type : {-1, 5, 99}) {
        DialupSettings s = Plan(type, 1.0);
        EXPECT_EQ(DerivePlan(s).type, type);
        EXPECT_EQ(Charge(s, 1000), -1) << type;
    }
    EXPECT_EQ(DerivePlan(Plan(kChargeMetered, 0.0)).type, kChargeNone);
}

TEST(ChargePlan, Notice) {
    DialupSettings s = Plan(kChargeMetered, 1.0);
    s.noticeCharge = 1000;
    s.noticeRatio = 80;
    EXPECT_EQ(DerivePlan(s).noticeBytes, 102400);

    DialupSettings free = Plan(kChargeMeteredFree, 1.0);
    free.freePackets = 10;
    free.freeCall1 = 800;
    free.noticeCharge = 1000;
    free.noticeRatio = 80;  // 800, not above the free amount
    EXPECT_EQ(DerivePlan(free).noticeBytes, 0);
    free.noticeRatio = 90;  // 900: 100 yen of packets on top of the allowance
    EXPECT_EQ(DerivePlan(free).noticeBytes, 1280 + 12800);

    DialupSettings cap = Plan(kChargeMeteredCap, 1.0);
    cap.maxCharge2 = 700;
    cap.noticeCharge = 1000;
    cap.noticeRatio = 80;  // 800 above the cap
    EXPECT_EQ(DerivePlan(cap).noticeBytes, 0);
}

// The quotient is rounded up unless it lies within 0.0001 above a whole number.
TEST(ChargePlan, RoundingConstant) {
    DialupSettings s = Plan(kChargeMeteredCap, 3.0, 1);
    s.maxCharge2 = 10;  // 10 / 3 = 3.333...: 4 bytes
    EXPECT_EQ(DerivePlan(s).limitBytes, 4);
    s.maxCharge2 = 9;   // exactly 3
    EXPECT_EQ(DerivePlan(s).limitBytes, 3);
    s.packetCharge2 = 0.99999;  // 9 / 0.99999 = 9.00009: within 0.0001, stays 9
    EXPECT_EQ(DerivePlan(s).limitBytes, 9);
    s.packetCharge2 = 0.9998;   // 9.0018: 10
    EXPECT_EQ(DerivePlan(s).limitBytes, 10);
}

// Mended edges: the free bytes of a large allowance do not wrap at 32 bits, a packet
// size below 1 makes the plan incomplete instead of dividing by zero, and a charge
// beyond 32 bits saturates.
TEST(ChargePlan, LargeValuesAndBadPacketSize) {
    DialupSettings s = Plan(kChargeMeteredFree, 0.5, 999999);
    s.freePackets = 99999999;
    s.freeCall1 = 1000;
    EXPECT_EQ(DerivePlan(s).freeBytes, int64_t{999999} * 99999999);

    for (int size : {0, -128}) {
        DialupSettings bad = Plan(kChargeMetered, 0.5, size);
        EXPECT_EQ(DerivePlan(bad).type, kChargeNone) << size;
        EXPECT_EQ(Charge(bad, 100000), -1);
        bad.chargeType = kChargeFlat;
        bad.maxCharge2 = 100;
        EXPECT_EQ(Charge(bad, 100000), -1);
    }

    const DialupSettings dear = Plan(kChargeMetered, 999999, 1);
    EXPECT_EQ(Charge(dear, int64_t{1} << 40), std::numeric_limits<int32_t>::max());
}

// A second computation of the plan and the charge, written from the rules as they
// read, compared over many random plans and totals.
struct Reference {
    int type = -1, freeAmount = 0, cap = 0;
    long long freeBytes = 0, limitBytes = 0, noticeBytes = 0;
};

Reference ReferencePlan(const DialupSettings& s) {
    Reference r;
    const double pc = s.packetCharge2;
    const int fp = s.freePackets, fc = s.freeCall1, mc = s.maxCharge2, ps = s.packetSize;
    r.type = s.chargeType;
    bool valid = true;
    if (s.chargeType == 0) valid = pc > 0;
    if (s.chargeType == 1) valid = pc > 0 && fp >= 1 && fc >= 1;
    if (s.chargeType == 2) valid = pc > 0 && mc >= 1;
    if (s.chargeType == 3) valid = pc > 0 && fp >= 1 && fc >= 1 && mc >= 1;
    if (s.chargeType == 4) valid = mc >= 1;
    if (s.chargeType >= 0 && s.chargeType <= 4 && ps < 1) valid = false;
    if (!valid) r.type = -1;
    if (r.type == 1 || r.type == 3) r.freeAmount = fc;
    if (r.type == 2 || r.type == 3 || r.type == 4) r.cap = mc;
    r.freeBytes = r.freeAmount > 0 ? static_cast<long long>(ps) * fp : 0;
    if (r.type != 4) {
        double x = pc > 0 ? (static_cast<double>(r.cap) - r.freeAmount) * ps / pc : 0;
        x = x + 0.9999;
        r.limitBytes = x < 0 ? 0 : static_cast<long long>(x) + r.freeBytes;
    }
    const long long notice = static_cast<long long>(s.noticeCharge) * s.noticeRatio / 100;
    if (!(r.type == -1 || r.type == 4 || notice <= r.freeAmount || (r.cap > 0 && notice > r.cap))) {
        double y = pc > 0 ? (static_cast<double>(notice) - r.freeAmount) * ps / pc : 0;
        y = y + 0.9999;
        r.noticeBytes = y < 0 ? 0 : static_cast<long long>(y) + r.freeBytes;
    }
    return r;
}

long long ReferenceCharge(const DialupSettings& s, const Reference& r, long long total) {
    const long long freeLeft = r.freeBytes - total > 0 ? r.freeBytes - total : 0;
    const long long limitLeft = r.limitBytes - total > 0 ? r.limitBytes - total : 0;
    auto metered = [&](long long n, int base) -> long long {
        const double c = static_cast<double>(n / s.packetSize) * s.packetCharge2 + base;
        if (c < 1) return 1;
        return c >= 2147483647.0 ? 2147483647 : static_cast<long long>(c);
    };
    switch (r.type) {
    case 0: return metered(total, 0);
    case 1: return freeLeft > 0 ? r.freeAmount : metered(total - r.freeBytes, r.freeAmount);
    case 2: return limitLeft > 0 ? metered(total, 0) : r.cap;
    case 3: return freeLeft > 0 ? r.freeAmount : limitLeft > 0 ? metered(total - r.freeBytes, r.freeAmount) : r.cap;
    case 4: return r.cap;
    default: return -1;
    }
}

TEST(ChargePlan, AgreesWithAComputationFromTheRules) {
    std::mt19937_64 random(20080520);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    // Unset (-1) often, since incomplete plans are a case of their own.
    auto field = [&](int high) { return pick(0, 4) == 0 ? -1 : pick(1, high); };
    const double prices[] = {-1.0, 0.0, 0.001, 0.05, 0.21, 0.3, 0.5, 1.0, 2.5, 10.0, 999999.0};
    for (int i = 0; i < 20000; ++i) {
        DialupSettings s;
        s.chargeType = pick(-1, 5);
        s.packetCharge2 = pick(0, 2) == 0 ? prices[pick(0, 10)] : pick(1, 100000) / 1000.0;
        s.freePackets = field(pick(0, 1) ? 99999999 : 5000);
        s.freeCall1 = field(pick(0, 1) ? 999999 : 3000);
        s.maxCharge2 = field(pick(0, 1) ? 999999 : 6000);
        s.packetSize = pick(0, 20) == 0 ? pick(-2, 0) : (pick(0, 1) ? 128 : pick(1, 999999));
        s.noticeCharge = field(999999);
        s.noticeRatio = field(100);

        const DerivedPlan plan = DerivePlan(s);
        const Reference ref = ReferencePlan(s);
        ASSERT_EQ(plan.type, ref.type) << i;
        ASSERT_EQ(plan.freeAmount, ref.freeAmount) << i;
        ASSERT_EQ(plan.cap, ref.cap) << i;
        ASSERT_EQ(plan.freeBytes, ref.freeBytes) << i;
        ASSERT_EQ(plan.limitBytes, ref.limitBytes) << i;
        ASSERT_EQ(plan.noticeBytes, ref.noticeBytes) << i;

        const long long anchors[] = {0, 1, ref.freeBytes - 1, ref.freeBytes, ref.freeBytes + 1, ref.limitBytes - 1,
                                     ref.limitBytes, ref.limitBytes + 1};
        for (int k = 0; k < 12; ++k) {
            long long total = k < 8 ? anchors[k] : std::uniform_int_distribution<long long>(0, 1LL << (pick(1, 40)))(random);
            if (total < 0) total = 0;
            ASSERT_EQ(Charge(s, total), ReferenceCharge(s, ref, total)) << i << " total " << total;
        }
    }
}

}  // namespace
