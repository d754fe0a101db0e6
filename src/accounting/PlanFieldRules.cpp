#include "accounting/PlanFieldRules.h"

#include "accounting/ChargePlan.h"
#include "common/StringIds.h"
#include "common/StringTable.h"

#include <charconv>
#include <cstdio>

namespace vr31k {

namespace {

PlanFieldCheck Refuse(int captionId, int textId, std::vector<std::string> args = {}) {
    PlanFieldCheck check;
    check.captionId = captionId;
    check.textId = textId;
    check.caption = std::string(LoadString(captionId));
    check.text = FormatString(textId, args);
    check.args = std::move(args);
    return check;
}

PlanFieldCheck RefuseRange(const PlanFieldRule& rule) {
    std::vector<std::string> args{std::to_string(static_cast<int>(rule.minimum))};
    const bool withUnit = *rule.unit != '\0';
    if (withUnit) args.emplace_back(rule.unit);
    args.push_back(std::to_string(static_cast<int>(rule.maximum)));
    if (withUnit) args.emplace_back(rule.unit);
    return withUnit ? Refuse(ids::IDS_PLAN_UNIT_RANGE_CAPTION, ids::IDS_PLAN_UNIT_RANGE_TEXT, std::move(args))
                    : Refuse(ids::IDS_RANGE_CAPTION, ids::IDS_RANGE_TEXT, std::move(args));
}

PlanFieldCheck CheckInteger(const PlanFieldRule& rule, std::string_view text, bool live) {
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return Refuse(ids::IDS_DIGITS_ONLY_CAPTION, ids::IDS_DIGITS_ONLY_TEXT);
        }
        if (value <= 1000000000LL) value = value * 10 + (c - '0');  // saturates far above every maximum
    }
    PlanFieldCheck check;
    check.empty = text.empty();
    // While typing only the maximum counts (every minimum above 0 is reached by typing on).
    const bool inRange = live ? (value <= 0 || value <= rule.maximum)
                              : ((check.empty && rule.emptyAllowed) || (value >= rule.minimum && value <= rule.maximum));
    if (!inRange) return RefuseRange(rule);
    check.ok = true;
    check.value = check.empty ? -1.0 : static_cast<double>(value);
    return check;
}

PlanFieldCheck CheckPrice(const PlanFieldRule& rule, std::string_view text, bool live) {
    PlanFieldCheck check;
    check.empty = text.empty();
    if (check.empty) {
        check.ok = true;
        return check;
    }
    int points = 0;
    for (char c : text) {
        if (c == '.') ++points;
        if ((c < '0' || c > '9') && c != '.') points = 2;
    }
    if (points > 1) return Refuse(ids::IDS_PLAN_PRICE_DIGITS_CAPTION, ids::IDS_PLAN_PRICE_DIGITS_TEXT);
    double value = 0.0;  // a lone point reads as 0
    std::from_chars(text.data(), text.data() + text.size(), value);
    const bool inRange = (live && value <= 0) || (value >= rule.minimum && value <= rule.maximum);
    if (!inRange) {
        char low[32], high[32];
        std::snprintf(low, sizeof low, "%1.3f", rule.minimum);
        std::snprintf(high, sizeof high, "%5.0f", rule.maximum);
        return Refuse(ids::IDS_PLAN_PRICE_RANGE_CAPTION, ids::IDS_PLAN_PRICE_RANGE_TEXT, {low, high});
    }
    check.ok = true;
    check.value = value;
    return check;
}

}  // namespace

PlanFieldCheck CheckPlanField(PlanField field, std::string_view text, bool live) {
    const PlanFieldRule& rule = RuleOf(field);
    return field == PlanField::PacketCharge2 ? CheckPrice(rule, text, live) : CheckInteger(rule, text, live);
}

MessageBoxRequest RefusalBox(const PlanFieldCheck& check, MessageIcon icon) {
    MessageBoxRequest box;
    box.captionId = check.captionId;
    box.textId = check.textId;
    box.text = check.text;
    box.args = check.args;
    box.icon = icon;
    return box;
}

PlanFieldCheck CheckPlanCombination(const DialupSettings& plan) {
    const bool allEntered = plan.packetCharge2 > 0 && plan.freePackets >= 1 && plan.freeCall1 >= 1 &&
                            plan.maxCharge2 >= 1;
    if (plan.chargeType == kChargeTwoStage && allEntered && plan.maxCharge2 < plan.freeCall1) {
        return Refuse(ids::IDS_PLAN_CAP_BELOW_FREE_CAPTION, ids::IDS_PLAN_CAP_BELOW_FREE_TEXT);
    }
    PlanFieldCheck ok;
    ok.ok = true;
    return ok;
}

}  // namespace vr31k
