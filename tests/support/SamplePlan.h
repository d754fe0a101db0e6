#pragma once
// The price plan the plan page's tests start from.
#include "accounting/ChargePlan.h"
#include "common/SettingsStore.h"

namespace vr31k::test {

// Metered with a free allowance: 1000 packets for 1000 yen, 0.21 yen a packet after,
// packets of 128 bytes, a notice at 2000 x 80 % (above the free fee), closing on the
// 20th; entry 3 selected, which the page must leave alone.
inline DialupSettings FreeAllowancePlan() {
    DialupSettings plan;
    plan.chargeType = kChargeMeteredFree;
    plan.freePackets = 1000;
    plan.freeCall1 = 1000;
    plan.packetCharge2 = 0.21;
    plan.maxCharge2 = -1;
    plan.packetSize = 128;
    plan.noticeCharge = 2000;
    plan.noticeRatio = 80;
    plan.chargeDay = 20;
    plan.entryIndex = 3;
    return plan;
}

}  // namespace vr31k::test
