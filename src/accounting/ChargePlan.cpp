#include "accounting/ChargePlan.h"

#include <cmath>
#include <limits>

namespace vr31k {

namespace {

bool PlanIsComplete(const DialupSettings& s) {
    const bool priced = s.packetCharge2 > 0;
    switch (s.chargeType) {
    case kChargeMetered: return priced;
    case kChargeMeteredFree: return priced && s.freePackets >= 1 && s.freeCall1 >= 1;
    case kChargeMeteredCap: return priced && s.maxCharge2 >= 1;
    case kChargeTwoStage: return priced && s.freePackets >= 1 && s.freeCall1 >= 1 && s.maxCharge2 >= 1;
    case kChargeFlat: return s.maxCharge2 >= 1;
    default: return true;  // not a known type: kept as it is, charges nothing
    }
}

// Bytes whose metered price reaches `yen` on top of the free amount: the quotient
// rounded up unless it is within 0.0001 of the whole number below.
int64_t BytesForYen(double yen, const DialupSettings& s, int64_t freeBytes) {
    double x = s.packetCharge2 > 0 ? yen * s.packetSize / s.packetCharge2 : 0.0;
    x += kRoundUpBytes;
    if (x < 0) return 0;
    if (x >= 9.2e18) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(std::trunc(x)) + freeBytes;
}

int32_t Metered(const DialupSettings& s, int64_t bytes, int32_t base) {
    const int64_t packets = bytes / s.packetSize;
    const double charge = static_cast<double>(packets) * s.packetCharge2 + base;
    if (charge < 1) return 1;
    // A charge beyond 32 bits cannot be shown or stored; it saturates.
    if (charge >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(charge);
}

}  // namespace

DerivedPlan DerivePlan(const DialupSettings& s) {
    DerivedPlan plan;
    plan.type = s.chargeType;
    const bool known = s.chargeType >= kChargeMetered && s.chargeType <= kChargeFlat;
    if (known && (!PlanIsComplete(s) || s.packetSize < 1)) {
        plan.type = kChargeNone;
    } else if (known) {
        if (s.chargeType == kChargeMeteredFree || s.chargeType == kChargeTwoStage) plan.freeAmount = s.freeCall1;
        if (s.chargeType == kChargeMeteredCap || s.chargeType == kChargeTwoStage || s.chargeType == kChargeFlat) {
            plan.cap = s.maxCharge2;
        }
    }

    if (plan.freeAmount > 0) plan.freeBytes = static_cast<int64_t>(s.packetSize) * s.freePackets;

    if (plan.type != kChargeFlat) {
        plan.limitBytes = BytesForYen(static_cast<double>(plan.cap) - plan.freeAmount, s, plan.freeBytes);
    }

    plan.noticeBytes = BytesForCharge(s, plan, static_cast<int64_t>(s.noticeCharge) * s.noticeRatio / 100);
    return plan;
}

int64_t BytesForCharge(const DialupSettings& s, const DerivedPlan& plan, int64_t yen) {
    const bool never = plan.type == kChargeNone || plan.type == kChargeFlat || yen <= plan.freeAmount ||
                       (plan.cap > 0 && yen > plan.cap);
    return never ? 0 : BytesForYen(static_cast<double>(yen) - plan.freeAmount, s, plan.freeBytes);
}

int32_t ComputeCharge(const DialupSettings& s, const DerivedPlan& plan, int64_t total, int64_t freeLeft,
                      int64_t limitLeft) {
    switch (plan.type) {
    case kChargeMetered: return Metered(s, total, 0);
    case kChargeMeteredFree: return freeLeft > 0 ? plan.freeAmount : Metered(s, total - plan.freeBytes, plan.freeAmount);
    case kChargeMeteredCap: return limitLeft > 0 ? Metered(s, total, 0) : plan.cap;
    case kChargeTwoStage:
        if (freeLeft > 0) return plan.freeAmount;
        return limitLeft > 0 ? Metered(s, total - plan.freeBytes, plan.freeAmount) : plan.cap;
    case kChargeFlat: return plan.cap;
    default: return -1;
    }
}

}  // namespace vr31k
