#pragma once
// The price plan: the DUP_CONFIG values the user entered, and what is derived from them
// to turn a billing period's byte total into an estimated charge in yen.
#include "common/SettingsStore.h"

#include <cstdint>

namespace vr31k {

enum ChargeType : int32_t {
    kChargeMetered = 0,
    kChargeMeteredFree = 1,  // with a free allowance
    kChargeMeteredCap = 2,   // with a cap
    kChargeTwoStage = 3,     // free allowance and cap
    kChargeFlat = 4,
    kChargeNone = -1,        // unset, or the plan is incomplete
};

struct DerivedPlan {
    int32_t type = kChargeNone;  // the effective charge type
    int32_t freeAmount = 0;      // yen the free allowance costs
    int32_t cap = 0;             // yen
    int64_t freeBytes = 0;       // period bytes the free allowance covers
    int64_t limitBytes = 0;      // period total at which the charge reaches the cap
    int64_t noticeBytes = 0;     // period total at which the notice fires; 0 = no notice
    bool operator==(const DerivedPlan&) const = default;
};

// A quotient within 0.0001 above a whole number counts as that number.
inline constexpr double kRoundUpBytes = 0.9999;

// Free bytes are formed in 64 bits, and a packet size below 1 makes the plan incomplete
// (nothing can be divided by it).
DerivedPlan DerivePlan(const DialupSettings& settings);

// The period total at which the charge reaches `yen`, by the notice's rule; 0 when the
// charge never reaches it by use: no plan, a flat rate, an amount the free fee already
// covers, or one above the cap.
int64_t BytesForCharge(const DialupSettings& settings, const DerivedPlan& plan, int64_t yen);

// The estimated charge for a period total, or -1 when no plan applies. A metered charge
// is never below 1 yen.
int32_t ComputeCharge(const DialupSettings& settings, const DerivedPlan& plan, int64_t totalBytes,
                      int64_t freeLeft, int64_t limitLeft);

// What is left of `allowance` after `used`, never negative.
inline int64_t Remaining(int64_t allowance, int64_t used) { return allowance > used ? allowance - used : 0; }

}  // namespace vr31k
