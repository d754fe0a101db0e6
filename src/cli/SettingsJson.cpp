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
    j.Set("LimitKind", known ? Json::Shown(s.kind, std::string(kKinds[s.kind]) + " (" + std::to_string(s.kind) + ")")
                             : Json(s.kind))
        .Set("LimitCharge", PlanValue(s.charge))
        .Set("LimitBytes", s.bytes < 0 ? Json::Shown(s.bytes, "not set") : Json(s.bytes))
        .Set("LimitWarnRatio", s.warnRatio == 0 ? Json::Shown(0, "no warning") : Json(s.warnRatio))
        .Set("BurstBytes", s.burstBytes == 0 ? Json::Shown(0, "off") : Json(s.burstBytes));
    return j;
}

}  // namespace vr31k::cli
