#include "accounting/PlanFieldRules.h"

#include "accounting/ChargePlan.h"
#include "common/StringIds.h"
#include "common/StringTable.h"

#include <charconv>
#include <cstdio>

namespace vr31k {

namespace {

constexpr PlanFieldRule kRules[] = {
    {PlanField::FreePackets, "FreePackets", 1, 99999999, true, ""},
    {PlanField::FreeCall1, "FreeCall1", 1, 999999, true, ""},
    {PlanField::PacketCharge2, "PacketCharge2", 0.001, 999999, true, ""},
    {PlanField::MaxCharge2, "MaxCharge2", 1, 999999, true, ""},
    {PlanField::PacketSize, "PacketSize", 1, 999999, false, ""},
    {PlanField::NoticeCharge, "NoticeCharge", 1, 999999, true, ""},
    {PlanField::NoticeRatio, "NoticeRatio", 50, 100, true, "%"},
};

// The plan page's own texts; the string table has no ids for them.
constexpr const char* kUnitRangeText = "%d%s から %d%s までの整数を入力してください。";
constexpr const char* kPriceDigitsText = "設定値には、数字を入力してください。\n(負数も入力できません。)";
constexpr const char* kPriceRangeText = "%1.3f から %5.0f までの数字を入力してください。";
constexpr const char* kCombinationCaption = "パケット課金設定の確認";
constexpr const char* kCombinationText =
    "パケット定額料がパケット無料通信料未満に設定されています。\nパケット課金設定を確認してください。";

PlanFieldCheck Refuse(int captionId, std::string text) {
    PlanFieldCheck check;
    check.captionId = captionId;
    check.caption = std::string(LoadString(captionId));
    check.text = std::move(text);
    return check;
}

std::string RangeText(const PlanFieldRule& rule) {
    const int low = static_cast<int>(rule.minimum);
    const int high = static_cast<int>(rule.maximum);
    if (*rule.unit == '\0') return FormatString(ids::IDS_RANGE_TEXT, {std::to_string(low), std::to_string(high)});
    char text[160];
    std::snprintf(text, sizeof text, kUnitRangeText, low, rule.unit, high, rule.unit);
    return text;
}

PlanFieldCheck CheckInteger(const PlanFieldRule& rule, std::string_view text, bool live) {
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return Refuse(ids::IDS_DIGITS_ONLY_CAPTION, std::string(LoadString(ids::IDS_DIGITS_ONLY_TEXT)));
        }
        if (value <= 1000000000LL) value = value * 10 + (c - '0');  // saturates far above every maximum
    }
    PlanFieldCheck check;
    check.empty = text.empty();
    // While typing only the maximum counts (every minimum above 0 is reached by typing on).
    const bool inRange = live ? (value <= 0 || value <= rule.maximum)
                              : ((check.empty && rule.emptyAllowed) || (value >= rule.minimum && value <= rule.maximum));
    if (!inRange) return Refuse(ids::IDS_RANGE_CAPTION, RangeText(rule));
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
    if (points > 1) return Refuse(ids::IDS_DIGITS_ONLY_CAPTION, kPriceDigitsText);
    double value = 0.0;  // a lone point reads as 0
    std::from_chars(text.data(), text.data() + text.size(), value);
    const bool inRange = (live && value <= 0) || (value >= rule.minimum && value <= rule.maximum);
    if (!inRange) {
        char message[160];
        std::snprintf(message, sizeof message, kPriceRangeText, rule.minimum, rule.maximum);
        return Refuse(ids::IDS_RANGE_CAPTION, message);
    }
    check.ok = true;
    check.value = value;
    return check;
}

}  // namespace

const PlanFieldRule& RuleOf(PlanField field) { return kRules[static_cast<int>(field)]; }

PlanFieldCheck CheckPlanField(PlanField field, std::string_view text, bool live) {
    const PlanFieldRule& rule = RuleOf(field);
    return field == PlanField::PacketCharge2 ? CheckPrice(rule, text, live) : CheckInteger(rule, text, live);
}

PlanFieldCheck CheckPlanCombination(const DialupSettings& plan) {
    const bool allEntered = plan.packetCharge2 > 0 && plan.freePackets >= 1 && plan.freeCall1 >= 1 &&
                            plan.maxCharge2 >= 1;
    if (plan.chargeType == kChargeTwoStage && allEntered && plan.maxCharge2 < plan.freeCall1) {
        PlanFieldCheck check;
        check.caption = kCombinationCaption;
        check.text = kCombinationText;
        return check;
    }
    PlanFieldCheck ok;
    ok.ok = true;
    return ok;
}

}  // namespace vr31k
