#pragma once
// The price plan the plan page's tests start from.
#include "accounting/ChargePlan.h"
#include "common/SettingsStore.h"

namespace vr31k::test {

// A price plan from its fields, the rest as a fresh settings file has them; closing on
// the 20th unless told: MakePlan({.type = kChargeMeteredCap, .price = 0.21, .cap = 4980}).
struct PlanTerms {
    int32_t type = kChargeMetered;
    double price = 1.0;  // yen a packet of 128 bytes
    int32_t freePackets = -1, freeFee = -1, cap = -1;
    int32_t notice = -1, noticeRatio = -1;
    int32_t closingDay = 20;
};
inline DialupSettings MakePlan(const PlanTerms& terms) {
    DialupSettings plan;
    plan.chargeType = terms.type;
    plan.packetCharge2 = terms.price;
    plan.freePackets = terms.freePackets;
    plan.freeCall1 = terms.freeFee;
    plan.maxCharge2 = terms.cap;
    plan.noticeCharge = terms.notice;
    plan.noticeRatio = terms.noticeRatio;
    plan.chargeDay = terms.closingDay;
    return plan;
}

// Metered with a free allowance: 1000 packets for 1000 yen, 0.21 yen a packet after,
// packets of 128 bytes, a notice at 2000 x 80 % (above the free fee), closing on the
// 20th; entry 3 selected, which the page must leave alone.
inline DialupSettings FreeAllowancePlan() {
    DialupSettings plan = MakePlan({.type = kChargeMeteredFree, .price = 0.21, .freePackets = 1000, .freeFee = 1000,
                                    .notice = 2000, .noticeRatio = 80});
    plan.entryIndex = 3;
    return plan;
}

}  // namespace vr31k::test
