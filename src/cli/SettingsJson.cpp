#include "cli/SettingsJson.h"

#include "cli/ReadableValues.h"
#include "common/PlanFields.h"

namespace vr31k::cli {

Json DialupSettingsJson(const DialupSettings& s) {
    Json j = Json::MakeObject();
    j.Set("ChargeType", ChargeTypeJson(s.chargeType));
    for (const PlanFieldRule& rule : kPlanFields) {
        j.Set(rule.key, rule.integer != nullptr ? PlanValue(s.*rule.integer) : PlanValue(s.packetCharge2));
    }
    j.Set("ChargeDay", ClosingDayJson(s.chargeDay))
        .Set("EntryIndex", s.entryIndex);
    return j;
}

Json LimitSettingsJson(const LimitSettings& s) {
    static constexpr const char* kKinds[] = {"off", "the period's charge", "the period's bytes"};
    const bool known = s.kind >= kLimitOff && s.kind <= kLimitBytes;
    Json j = Json::MakeObject();
    j.Set(RuleOf(LimitField::Kind).key, known ? Json::Shown(s.kind, std::string(kKinds[s.kind]) + " (" + std::to_string(s.kind) + ")")
                             : Json(s.kind));
    for (const LimitFieldRule& rule : kLimitFields) {
        if (rule.unsetShown == nullptr) continue;
        const int64_t value = LimitFieldValue(s, rule.field);
        j.Set(rule.key, value == rule.unset ? Json::Shown(value, rule.unsetShown) : Json(value));
    }
    return j;
}

}  // namespace vr31k::cli
