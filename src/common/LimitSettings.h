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

// The section's five values, named once: the key, the value meaning "not set" (or "off"),
// the range of the others, the `vr31kctl plan set-limit` option, how `settings show`
// names the unset value, and the member. The settings store, the command line, the
// JSON and the limit page read this table; its order is the file's.
enum class LimitField { Kind, Charge, Bytes, WarnRatio, Burst };

struct LimitFieldRule {
    LimitField field;
    const char* key;
    int64_t unset;
    int64_t minimum;
    int64_t maximum;
    const char* option;      // null: set through the other options (the kind)
    const char* unsetShown;  // null: shown as the number
    int32_t LimitSettings::*small;  // the member: 32 bits, else
    int64_t LimitSettings::*large;  // 64 bits
};

inline constexpr LimitFieldRule kLimitFields[] = {
    {LimitField::Kind, "LimitKind", kLimitOff, kLimitOff, kLimitBytes, nullptr, nullptr, &LimitSettings::kind, nullptr},
    {LimitField::Charge, "LimitCharge", -1, 1, kMaxLimitCharge, "--charge", "not set", &LimitSettings::charge, nullptr},
    {LimitField::Bytes, "LimitBytes", -1, kMinLimitBytes, kMaxLimitBytes, "--bytes", "not set", nullptr,
     &LimitSettings::bytes},
    {LimitField::WarnRatio, "LimitWarnRatio", 0, 1, kMaxLimitWarnRatio, "--warn-ratio", "no warning",
     &LimitSettings::warnRatio, nullptr},
    {LimitField::Burst, "BurstBytes", 0, kMinLimitBytes, kMaxLimitBytes, "--burst", "off", nullptr,
     &LimitSettings::burstBytes},
};

inline const LimitFieldRule& RuleOf(LimitField field) { return kLimitFields[static_cast<int>(field)]; }

inline int64_t LimitFieldValue(const LimitSettings& limit, LimitField field) {
    const LimitFieldRule& rule = RuleOf(field);
    return rule.small != nullptr ? limit.*rule.small : limit.*rule.large;
}
inline void SetLimitFieldValue(LimitSettings& limit, LimitField field, int64_t value) {
    const LimitFieldRule& rule = RuleOf(field);
    if (rule.small != nullptr) limit.*rule.small = static_cast<int32_t>(value);
    else limit.*rule.large = value;
}

}  // namespace vr31k
