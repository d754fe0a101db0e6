#pragma once
// The user's own limit on a billing period's use, in a section of the settings file
// that builds without it never read: off unless the user sets it.
#include <cstdint>

namespace vr31k {

enum LimitKind : int32_t {
    kLimitOff = 0,
    kLimitCharge = 1,  // the period's estimated charge, in yen
    kLimitBytes = 2,   // the period's bytes sent and received
};

// VR31K_LIMIT, in the order the keys are written.
struct LimitSettings {
    int32_t kind = kLimitOff;
    int32_t charge = -1;     // yen; -1 not set
    int64_t bytes = -1;      // -1 not set
    int32_t warnRatio = 80;  // percent of the limit at which it warns; 0 no warning
    int64_t burstBytes = 0;  // more than this within ten minutes warns; 0 off
    bool operator==(const LimitSettings&) const = default;
};

inline constexpr const char* kLimitSection = "VR31K_LIMIT";

// The values' ranges: what the settings file may hold, what the checks of typed values allow.
inline constexpr int64_t kMaxLimitCharge = 999999;          // yen, from 1
inline constexpr int64_t kMinLimitBytes = 1024;             // the limit's and the burst's
inline constexpr int64_t kMaxLimitBytes = int64_t{1} << 50;  // 1 PiB
inline constexpr int32_t kMaxLimitWarnRatio = 99;           // percent, from 1; 0 no warning

}  // namespace vr31k
