#include "accounting/PlanFinalCheck.h"

#include "accounting/ChargePlan.h"
#include "common/StringIds.h"

#include <charconv>
#include <cstdio>

namespace vr31k {

namespace {

using namespace ids;

std::string IntegerText(int32_t value) { return value < 0 ? std::string() : std::to_string(value); }

std::string PriceText(double value) {
    if (value < 0) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// A text's decimal value: -1 when empty, `kept` when it is not a number.
template <typename T>
T ValueOf(const std::string& text, T kept) {
    if (text.empty()) return T(-1);
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : kept;
}

PlanCheckStep Question(int captionId, int textId) {
    MessageBoxRequest box = MakeMessage(captionId, textId, MessageIcon::Question);
    box.buttons = MessageButtons::YesNo;
    box.defaultButton = MessageResult::Yes;
    return {PlanStepKind::Question, std::move(box), std::nullopt};
}

PlanCheckStep Refusal(const PlanFieldCheck& check, MessageIcon icon, std::optional<PlanField> field) {
    return {PlanStepKind::Stop, RefusalBox(check, icon), field};
}

bool Entered(int32_t value) { return value >= 0; }

bool IsComplete(const DialupSettings& p) {
    const bool price = p.packetCharge2 >= 0;
    const bool free = Entered(p.freePackets) && Entered(p.freeCall1);
    const bool cap = Entered(p.maxCharge2);
    switch (p.chargeType) {
    case kChargeMetered: return price;
    case kChargeMeteredFree: return price && free;
    case kChargeMeteredCap: return price && cap;
    case kChargeTwoStage: return price && free && cap;
    case kChargeFlat: return cap;
    default: return false;  // no type chosen
    }
}

// The notice question for a complete plan, when the notice could never fire.
std::optional<PlanCheckStep> NoticeQuestion(const DialupSettings& p) {
    if (p.chargeType == kChargeFlat || p.chargeType == kChargeMetered) return std::nullopt;
    if (!Entered(p.noticeCharge) || !Entered(p.noticeRatio)) {
        return Question(IDS_PLAN_NOTICE_EMPTY_CAPTION, IDS_PLAN_NOTICE_EMPTY_TEXT);
    }
    const int64_t amount = static_cast<int64_t>(p.noticeCharge) * p.noticeRatio / 100;
    const bool hasFree = p.chargeType == kChargeMeteredFree || p.chargeType == kChargeTwoStage;
    const bool hasCap = p.chargeType == kChargeMeteredCap || p.chargeType == kChargeTwoStage;
    if (hasFree && amount <= p.freeCall1) {
        return Question(IDS_PLAN_NOTICE_NOT_ABOVE_FREE_CAPTION, IDS_PLAN_NOTICE_NOT_ABOVE_FREE_TEXT);
    }
    if (hasCap && amount > p.maxCharge2) {
        return Question(IDS_PLAN_NOTICE_ABOVE_CAP_CAPTION, IDS_PLAN_NOTICE_ABOVE_CAP_TEXT);
    }
    return std::nullopt;
}

}  // namespace

PlanEntry EntryFromPlan(const DialupSettings& plan) {
    PlanEntry entry;
    entry.chargeType = plan.chargeType;
    entry.closingDay = plan.chargeDay;
    for (const PlanFieldRule& rule : kPlanFields) {
        const PlanField field = rule.field;
        const auto member = rule.integer;
        entry.Text(field) = member != nullptr ? IntegerText(plan.*member) : PriceText(plan.packetCharge2);
    }
    return entry;
}

DialupSettings PlanFromEntry(const PlanEntry& entry, const DialupSettings& stored) {
    DialupSettings plan = stored;
    plan.chargeType = entry.chargeType;
    if (entry.closingDay >= 0) plan.chargeDay = entry.closingDay;
    for (const PlanFieldRule& rule : kPlanFields) {
        const PlanField field = rule.field;
        if (const auto member = rule.integer) {
            plan.*member = ValueOf(entry.Text(field), stored.*member);
        } else {
            plan.packetCharge2 = ValueOf(entry.Text(field), stored.packetCharge2);
        }
    }
    return plan;
}

PlanFinalCheck CheckPlanOnLeave(const PlanEntry& entry, const DialupSettings& stored) {
    PlanFinalCheck result;
    // The field rules, in the page's order: the first refused field stops.
    for (const PlanFieldRule& rule : kPlanFields) {
        const PlanField field = rule.field;
        const PlanFieldCheck check = CheckPlanField(field, entry.Text(field));
        if (!check.ok) {
            result.steps.push_back(Refusal(check, MessageIcon::Exclamation, field));
            return result;
        }
    }
    result.entered = PlanFromEntry(entry, stored);
    const DialupSettings& plan = result.entered;

    // A plan that cannot be saved, or one that counts nothing.
    if (const PlanFieldCheck combination = CheckPlanCombination(plan); !combination.ok) {
        result.steps.push_back(Refusal(combination, MessageIcon::Error, std::nullopt));
        return result;
    }
    if (!IsComplete(plan)) {
        result.steps.push_back(Question(IDS_PLAN_INCOMPLETE_CAPTION, IDS_PLAN_INCOMPLETE_TEXT));
        return result;
    }
    // A notice that cannot fire. Once the user has accepted a plan with a flaw, the
    // change is not confirmed again.
    if (auto question = NoticeQuestion(plan)) {
        result.steps.push_back(std::move(*question));
        return result;
    }
    // The change itself.
    if (plan != stored) {
        result.steps.push_back(Question(IDS_PLAN_CHANGE_CAPTION, IDS_PLAN_CHANGE_TEXT));
        result.confirmsChange = true;
    }
    return result;
}

PlanLeaveResult LeavePlanPage(const PlanEntry& entry, DialupSettings& stored, IMessageBox& boxes) {
    const PlanFinalCheck check = CheckPlanOnLeave(entry, stored);
    PlanLeaveResult result;
    for (const PlanCheckStep& step : check.steps) {
        if (step.kind == PlanStepKind::Stop) {
            boxes.Show(step.box);
            result.focus = step.field;
            return result;
        }
        if (boxes.Show(step.box) != MessageResult::Yes) return result;
    }
    if (check.confirmsChange) stored = check.entered;
    result.leave = true;
    return result;
}

}  // namespace vr31k
