#pragma once
// The charge plan's seven amounts, named once: the DUP_CONFIG key, the DialupSettings
// member each fills, its range, the vr31kctl option and the plan page's field. The
// settings store, the field checks, the final check, the command line and the page all
// read this table; its order is the file's, the page's and the final check's.
#include "common/SettingsStore.h"

#include <cstdint>

namespace vr31k {

enum class PlanField { FreePackets, FreeCall1, PacketCharge2, MaxCharge2, PacketSize, NoticeCharge, NoticeRatio };

struct PlanFieldRule {
    PlanField field;
    const char* key;      // the DUP_CONFIG key
    double minimum;
    double maximum;
    bool emptyAllowed;    // at the final check
    const char* unit;     // shown in the range message; empty for none
    const char* option;   // of `vr31kctl plan set`
    const char* control;  // the plan page's field: "<control>Edit", "<control>Label"
    int32_t DialupSettings::*integer;  // null for the price, which is a double
};

inline constexpr PlanFieldRule kPlanFields[] = {
    {PlanField::FreePackets, "FreePackets", 1, 99999999, true, "", "--free-packets", "freePackets",
     &DialupSettings::freePackets},
    {PlanField::FreeCall1, "FreeCall1", 1, 999999, true, "", "--free-fee", "freeFee", &DialupSettings::freeCall1},
    {PlanField::PacketCharge2, "PacketCharge2", 0.001, 999999, true, "", "--price", "price", nullptr},
    {PlanField::MaxCharge2, "MaxCharge2", 1, 999999, true, "", "--cap", "cap", &DialupSettings::maxCharge2},
    {PlanField::PacketSize, "PacketSize", 1, 999999, false, "", "--packet-size", "packetSize",
     &DialupSettings::packetSize},
    {PlanField::NoticeCharge, "NoticeCharge", 1, 999999, true, "", "--notice-charge", "notice",
     &DialupSettings::noticeCharge},
    {PlanField::NoticeRatio, "NoticeRatio", 50, 100, true, "%", "--notice-ratio", "ratio",
     &DialupSettings::noticeRatio},
};

inline const PlanFieldRule& RuleOf(PlanField field) { return kPlanFields[static_cast<int>(field)]; }

// The field's value in `plan` (negative: unset), and setting it (an integer field takes
// the value's whole part).
inline double PlanFieldValue(const DialupSettings& plan, PlanField field) {
    const PlanFieldRule& rule = RuleOf(field);
    return rule.integer != nullptr ? static_cast<double>(plan.*rule.integer) : plan.packetCharge2;
}
inline void SetPlanFieldValue(DialupSettings& plan, PlanField field, double value) {
    const PlanFieldRule& rule = RuleOf(field);
    if (rule.integer != nullptr) plan.*rule.integer = static_cast<int32_t>(value);
    else plan.packetCharge2 = value;
}

}  // namespace vr31k
