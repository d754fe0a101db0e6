// The plan's derived values and the charge for a period total: the worked examples,
// the mended edges, and a second computation written straight from the rules.
#include "accounting/ChargePlan.h"
#include "support/SamplePlan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace vr31k;

namespace {

DialupSettings Plan(const test::PlanTerms& terms, int packetSize = 128) {
    DialupSettings s = test::MakePlan(terms);
    s.packetSize = packetSize;
    return s;
}

int32_t Charge(const DialupSettings& s, int64_t total) {
    const DerivedPlan plan = DerivePlan(s);
    return ComputeCharge(s, plan, total, Remaining(plan.freeBytes, total), Remaining(plan.limitBytes, total));
}

// The worked examples: what a plan derives (type, free amount, cap, free, limit and notice
// bytes) and its charge for period totals. Among them the mended edges: the free bytes
// of a large allowance do not wrap at 32 bits, a packet size below 1 makes the plan
// incomplete instead of dividing by zero, and a charge beyond 32 bits saturates.
TEST(ChargePlan, DerivedValuesAndChargesOfWorkedExamples) {
    constexpr int64_t kHuge = int64_t{1} << 50;
    struct Case {
        const char* what;
        DialupSettings plan;
        DerivedPlan derived;
        std::vector<std::pair<int64_t, int32_t>> charges;  // period total, yen
    } cases[] = {
        {"metered: never below one yen", Plan({.price = 0.5}), {kChargeMetered, 0, 0, 0, 0, 0},
         {{0, 1}, {127, 1}, {1280, 5}, {2560, 10}, {2687, 10}}},
        {"free allowance", Plan({.type = kChargeMeteredFree, .price = 0.5, .freePackets = 1000, .freeFee = 1000}),
         {kChargeMeteredFree, 1000, 0, 128000, 0, 0},
         {{0, 1000}, {127999, 1000}, {128000, 1000}, {128127, 1000}, {128128, 1000}, {128256, 1001},
          {128000 + 128 * 1999, 1999}}},
        {"free allowance without its fee: no plan",
         Plan({.type = kChargeMeteredFree, .price = 0.5, .freePackets = 1000}), {}, {{5000, -1}}},
        {"cap", Plan({.type = kChargeMeteredCap, .price = 0.21, .cap = 4980}),
         {kChargeMeteredCap, 0, 4980, 0, 3035429, 0},
         {{3035428, static_cast<int32_t>(3035428 / 128 * 0.21)}, {3035429, 4980}, {kHuge, 4980}}},
        {"two-stage: 128,000 + 2000 x 128 / 0.5",
         Plan({.type = kChargeTwoStage, .price = 0.5, .freePackets = 1000, .freeFee = 1000, .cap = 3000}),
         {kChargeTwoStage, 1000, 3000, 128000, 640000, 0}, {{100, 1000}, {128000 + 1280, 1005}, {640000, 3000}}},
        // x < 0: the cap follows the allowance at once.
        {"two-stage, the cap below the free fee",
         Plan({.type = kChargeTwoStage, .price = 0.5, .freePackets = 1000, .freeFee = 1000, .cap = 500}),
         {kChargeTwoStage, 1000, 500, 128000, 0, 0}, {{100, 1000}, {128000, 500}}},
        {"flat rate: no limit, no notice",
         Plan({.type = kChargeFlat, .price = -1.0, .cap = 5000, .notice = 1000, .noticeRatio = 80}),
         {kChargeFlat, 0, 5000, 0, 0, 0}, {{0, 5000}, {kHuge << 10, 5000}}},
        {"unknown type -1", Plan({.type = -1}), {-1, 0, 0, 0, 0, 0}, {{1000, -1}}},
        {"unknown type 5", Plan({.type = 5}), {5, 0, 0, 0, 0, 0}, {{1000, -1}}},
        {"unknown type 99", Plan({.type = 99}), {99, 0, 0, 0, 0, 0}, {{1000, -1}}},
        {"no price: no plan", Plan({.price = 0.0}), {}, {}},
        {"notice at 1000 x 80 %", Plan({.notice = 1000, .noticeRatio = 80}), {kChargeMetered, 0, 0, 0, 0, 102400}, {}},
        {"notice of 800, not above the free amount",
         Plan({.type = kChargeMeteredFree, .freePackets = 10, .freeFee = 800, .notice = 1000, .noticeRatio = 80}),
         {kChargeMeteredFree, 800, 0, 1280, 0, 0}, {}},
        {"notice of 900: 100 yen of packets on top of the allowance",
         Plan({.type = kChargeMeteredFree, .freePackets = 10, .freeFee = 800, .notice = 1000, .noticeRatio = 90}),
         {kChargeMeteredFree, 800, 0, 1280, 0, 1280 + 12800}, {}},
        {"notice of 800 above the cap",
         Plan({.type = kChargeMeteredCap, .cap = 700, .notice = 1000, .noticeRatio = 80}), {kChargeMeteredCap, 0, 700, 0, 89600, 0}, {}},
        // The quotient is rounded up unless it lies within 0.0001 above a whole number.
        {"10 / 3 = 3.333...: 4 bytes", Plan({.type = kChargeMeteredCap, .price = 3.0, .cap = 10}, 1),
         {kChargeMeteredCap, 0, 10, 0, 4, 0}, {}},
        {"9 / 3: exactly 3", Plan({.type = kChargeMeteredCap, .price = 3.0, .cap = 9}, 1),
         {kChargeMeteredCap, 0, 9, 0, 3, 0}, {}},
        {"9 / 0.99999 = 9.00009: within 0.0001, stays 9",
         Plan({.type = kChargeMeteredCap, .price = 0.99999, .cap = 9}, 1), {kChargeMeteredCap, 0, 9, 0, 9, 0}, {}},
        {"9 / 0.9998 = 9.0018: 10", Plan({.type = kChargeMeteredCap, .price = 0.9998, .cap = 9}, 1),
         {kChargeMeteredCap, 0, 9, 0, 10, 0}, {}},
        {"free bytes beyond 32 bits",
         Plan({.type = kChargeMeteredFree, .price = 0.5, .freePackets = 99999999, .freeFee = 1000}, 999999),
         {kChargeMeteredFree, 1000, 0, int64_t{999999} * 99999999, 0, 0}, {}},
        {"packet size 0", Plan({.price = 0.5}, 0), {}, {{100000, -1}}},
        {"packet size -128", Plan({.price = 0.5}, -128), {}, {{100000, -1}}},
        {"flat rate, packet size 0", Plan({.type = kChargeFlat, .price = 0.5, .cap = 100}, 0), {}, {{100000, -1}}},
        {"flat rate, packet size -128", Plan({.type = kChargeFlat, .price = 0.5, .cap = 100}, -128), {},
         {{100000, -1}}},
        {"a charge beyond 32 bits saturates", Plan({.price = 999999}, 1), {kChargeMetered, 0, 0, 0, 0, 0},
         {{int64_t{1} << 40, std::numeric_limits<int32_t>::max()}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DerivePlan(c.plan), c.derived) << c.what;
        for (const auto& [bytes, yen] : c.charges) EXPECT_EQ(Charge(c.plan, bytes), yen) << c.what << ": " << bytes;
    }
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
