// Leaving the charge plan page: the boxes in order, what stops and what is stored; the
// type list, the closing days and which controls each type shows.
#include "accounting/ChargePlan.h"
#include "accounting/PlanChoices.h"
#include "accounting/PlanFinalCheck.h"
#include "common/StringIds.h"
#include "support/SamplePlan.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

using namespace vr31k;
using namespace vr31k::ids;
using vr31k::test::FreeAllowancePlan;
using vr31k::test::ScriptedUi;

namespace {

using Edit = std::function<void(PlanEntry&)>;

Edit Type(int type) {
    return [type](PlanEntry& e) { e.chargeType = type; };
}
Edit Set(PlanField field, const char* text) {
    return [field, text](PlanEntry& e) { e.Text(field) = text; };
}
Edit Both(Edit a, Edit b) {
    return [a, b](PlanEntry& e) { a(e); b(e); };
}

struct LeaveCase {
    const char* name;
    Edit edit;
    std::vector<int> captions;  // the boxes in order
    bool stops;                 // the last box is a refusal
    std::optional<PlanField> field;
    std::string text;           // the first box's text, when it matters
};

std::vector<LeaveCase> LeaveCases() {
    const auto twoStage = [](const char* cap, const char* fee) {
        return Both(Both(Type(kChargeTwoStage), Set(PlanField::MaxCharge2, cap)), Set(PlanField::FreeCall1, fee));
    };
    return {
        {"unchanged plan asks nothing", [](PlanEntry&) {}, {}, false, {}, ""},
        {"digits only", Set(PlanField::FreePackets, "12a"), {IDS_DIGITS_ONLY_CAPTION}, true,
         PlanField::FreePackets, "設定値には、数字(0～9)を入力してください。\n(負数も入力できません。)"},
        {"price 0.000 is below its minimum", Set(PlanField::PacketCharge2, "0.000"), {IDS_PLAN_PRICE_RANGE_CAPTION},
         true, PlanField::PacketCharge2, "0.001 から 999999 までの数字を入力してください。"},
        {"ratio 30 fails on leaving", Set(PlanField::NoticeRatio, "30"), {IDS_PLAN_UNIT_RANGE_CAPTION}, true,
         PlanField::NoticeRatio, "50% から 100% までの整数を入力してください。"},
        {"empty packet size", Set(PlanField::PacketSize, ""), {IDS_RANGE_CAPTION}, true, PlanField::PacketSize,
         "1 から 999999 までの整数を入力してください。"},
        {"no free packets", Set(PlanField::FreePackets, "0"), {IDS_RANGE_CAPTION}, true, PlanField::FreePackets,
         "1 から 99999999 までの整数を入力してください。"},
        {"the first refused field in page order",
         Both(Set(PlanField::NoticeRatio, "30"), Set(PlanField::FreeCall1, "0")), {IDS_RANGE_CAPTION}, true,
         PlanField::FreeCall1, "1 から 999999 までの整数を入力してください。"},
        {"type 3 with the cap below the free fee cannot be saved", twoStage("1000", "2000"),
         {IDS_PLAN_CAP_BELOW_FREE_CAPTION}, true, {}, ""},
        {"type 3 with a cap of 500 below the fee of 1000",
         Both(Type(kChargeTwoStage), Set(PlanField::MaxCharge2, "500")), {IDS_PLAN_CAP_BELOW_FREE_CAPTION}, true, {}, ""},
        {"type 3 with the cap at the free fee is saved (its notice cannot fire)", twoStage("3000", "3000"),
         {IDS_PLAN_NOTICE_NOT_ABOVE_FREE_CAPTION}, false, {}, ""},
        {"incomplete: no change question after it", Set(PlanField::FreeCall1, ""), {IDS_PLAN_INCOMPLETE_CAPTION},
         false, {}, ""},
        {"no type chosen is incomplete", Type(-1), {IDS_PLAN_INCOMPLETE_CAPTION}, false, {}, ""},
        {"type 4 needs only the cap", Both(Type(kChargeFlat), Set(PlanField::MaxCharge2, "5000")),
         {IDS_PLAN_CHANGE_CAPTION}, false, {}, ""},
        {"type 4 without its cap", Type(kChargeFlat), {IDS_PLAN_INCOMPLETE_CAPTION}, false, {}, ""},
        {"type 1: notice at or below the free fee asks", Set(PlanField::NoticeCharge, "1000"),
         {IDS_PLAN_NOTICE_NOT_ABOVE_FREE_CAPTION}, false, {}, ""},
        {"type 1: an empty notice field asks", Set(PlanField::NoticeRatio, ""), {IDS_PLAN_NOTICE_EMPTY_CAPTION},
         false, {}, ""},
        {"type 2: notice above the cap asks",
         Both(Both(Type(kChargeMeteredCap), Set(PlanField::MaxCharge2, "1000")), Set(PlanField::NoticeCharge, "1500")),
         {IDS_PLAN_NOTICE_ABOVE_CAP_CAPTION}, false, {}, ""},
        {"type 3: at or below the free fee asks", Both(twoStage("4000", "1700"), Set(PlanField::NoticeCharge, "2000")),
         {IDS_PLAN_NOTICE_NOT_ABOVE_FREE_CAPTION}, false, {}, ""},
        {"type 3: above the cap asks", Both(twoStage("1500", "1000"), Set(PlanField::NoticeCharge, "2000")),
         {IDS_PLAN_NOTICE_ABOVE_CAP_CAPTION}, false, {}, ""},
        {"type 0 has no notice test", Both(Type(kChargeMetered), Set(PlanField::NoticeCharge, "")),
         {IDS_PLAN_CHANGE_CAPTION}, false, {}, ""},
        {"a new closing day is a change", [](PlanEntry& e) { e.closingDay = 32; }, {IDS_PLAN_CHANGE_CAPTION}, false,
         {}, ""},
        {"the same price written otherwise is no change", Set(PlanField::PacketCharge2, "0.210"), {}, false, {}, ""},
    };
}

TEST(PlanFinalCheck, BoxesInOrderWhenThePageIsLeft) {
    for (const LeaveCase& c : LeaveCases()) {
        SCOPED_TRACE(c.name);
        const DialupSettings stored = FreeAllowancePlan();
        PlanEntry entry = EntryFromPlan(stored);
        c.edit(entry);
        const PlanFinalCheck check = CheckPlanOnLeave(entry, stored);
        std::vector<int> captions;
        for (const PlanCheckStep& step : check.steps) captions.push_back(step.box.captionId);
        EXPECT_EQ(captions, c.captions);
        if (check.steps.empty()) continue;
        const PlanCheckStep& last = check.steps.back();
        EXPECT_EQ(last.kind == PlanStepKind::Stop, c.stops);
        EXPECT_EQ(last.field, c.field);
        if (!c.text.empty()) {
            EXPECT_EQ(check.steps.front().box.text, c.text);
        }
        if (c.stops) {  // a refused field is told with a warning, a plan that cannot be saved as an error
            EXPECT_EQ(last.box.icon, c.field ? MessageIcon::Exclamation : MessageIcon::Error);
        }
        if (last.kind == PlanStepKind::Question) {
            EXPECT_EQ(last.box.buttons, MessageButtons::YesNo);
            EXPECT_EQ(last.box.icon, MessageIcon::Question);
        }
    }
}

TEST(PlanFinalCheck, OnlyAConfirmedChangeBecomesTheStoredPlan) {
    struct Case {
        const char* name;
        Edit edit;
        std::deque<bool> answers;
        bool leaves;
        bool stored;  // the stored plan took the entered one
    } cases[] = {
        {"change confirmed", Set(PlanField::MaxCharge2, "4980"), {true}, true, true},
        {"change declined", Set(PlanField::MaxCharge2, "4980"), {false}, false, false},
        {"flawed notice accepted: left, not taken", Set(PlanField::NoticeCharge, "1000"), {true}, true, false},
        {"flawed notice declined", Set(PlanField::NoticeCharge, "1000"), {false}, false, false},
        {"refused field", Set(PlanField::PacketSize, "0"), {}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialupSettings stored = FreeAllowancePlan();
        PlanEntry entry = EntryFromPlan(stored);
        c.edit(entry);
        ScriptedUi boxes;
        boxes.answers = c.answers;
        const PlanLeaveResult result = LeavePlanPage(entry, stored, boxes);
        EXPECT_EQ(result.leave, c.leaves);
        EXPECT_EQ(stored == FreeAllowancePlan(), !c.stored);
        EXPECT_EQ(stored == PlanFromEntry(entry, FreeAllowancePlan()), c.stored);
        EXPECT_EQ(stored.entryIndex, 3) << "the page does not own the entry index";
    }
}

TEST(PlanFinalCheck, ConfirmedChangeIsNotAskedAgain) {
    DialupSettings stored = FreeAllowancePlan();
    PlanEntry entry = EntryFromPlan(stored);
    entry.closingDay = 0;
    ScriptedUi boxes;
    ASSERT_TRUE(LeavePlanPage(entry, stored, boxes).leave);
    ASSERT_TRUE(LeavePlanPage(entry, stored, boxes).leave);
    EXPECT_EQ(boxes.asked.size(), 1u);
}

TEST(PlanFinalCheck, TextsOfAPlanAndBack) {
    DialupSettings plan = FreeAllowancePlan();
    plan.packetCharge2 = 0.05;
    plan.maxCharge2 = -1;
    const PlanEntry entry = EntryFromPlan(plan);
    EXPECT_EQ(entry.Text(PlanField::PacketCharge2), "0.05");
    EXPECT_EQ(entry.Text(PlanField::FreePackets), "1000");
    EXPECT_EQ(entry.Text(PlanField::MaxCharge2), "");
    EXPECT_EQ(entry.chargeType, kChargeMeteredFree);
    EXPECT_EQ(entry.closingDay, 20);
    EXPECT_EQ(PlanFromEntry(entry, DialupSettings{}).packetCharge2, 0.05);

    PlanEntry emptied = entry;
    emptied.Text(PlanField::PacketCharge2) = "";
    emptied.Text(PlanField::PacketSize) = "0";  // out of range still goes in as written
    emptied.closingDay = -1;                    // none chosen: the stored day stays
    const DialupSettings back = PlanFromEntry(emptied, plan);
    EXPECT_EQ(back.packetCharge2, -1.0);
    EXPECT_EQ(back.packetSize, 0);
    EXPECT_EQ(back.chargeDay, 20);
}

// Typing a text one character at a time as the page does: a character the live check
// refuses is taken out again. Returns the text left and how many refusals were shown.
std::pair<std::string, int> TypeInto(PlanField field, std::string_view typed) {
    std::string text;
    int refusals = 0;
    for (char c : typed) {
        text += c;
        if (!CheckPlanField(field, text, true).ok) {
            ++refusals;
            text.pop_back();
        }
    }
    return {text, refusals};
}

TEST(PlanFinalCheck, TypingThenLeaving) {
    struct Case {
        PlanField field;
        const char* typed;
        const char* left;
        int refusals;
        bool leaves;  // the field passes the final check
    } cases[] = {
        {PlanField::PacketCharge2, "0.0005", "0.000", 1, false},
        {PlanField::PacketCharge2, "1.2.3", "1.23", 1, true},
        {PlanField::NoticeRatio, "30", "30", 0, false},
        {PlanField::NoticeRatio, "1000", "100", 1, true},
        {PlanField::FreePackets, "12a", "12", 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto [left, refusals] = TypeInto(c.field, c.typed);
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(refusals, c.refusals);
        PlanEntry entry = EntryFromPlan(FreeAllowancePlan());
        entry.Text(c.field) = left;
        const PlanFinalCheck check = CheckPlanOnLeave(entry, FreeAllowancePlan());
        const bool refused = !check.steps.empty() && check.steps[0].field == c.field;
        EXPECT_EQ(!refused, c.leaves);
    }
}

TEST(PlanChoices, Lists) {
    const auto types = ChargeTypeItems();
    EXPECT_EQ(types, (std::vector<std::string>{"従量", "従量(無料通信料あり)", "従量(定額あり)", "２段階定額", "定額"}));
    const auto days = ClosingDayItems();
    ASSERT_EQ(days.size(), 33u);
    EXPECT_EQ(days[0], "リセットしない");
    EXPECT_EQ(days[1], "1日");
    EXPECT_EQ(days[31], "31日");
    EXPECT_EQ(days[32], "末日");
}

TEST(PlanChoices, VisibilityByType) {
    struct Case {
        int type;
        PlanVisibility shown;
    } cases[] = {
        {kChargeMetered, {true, false, false}},    {kChargeMeteredFree, {true, true, false}},
        {kChargeMeteredCap, {true, false, true}},  {kChargeTwoStage, {true, true, true}},
        {kChargeFlat, {false, false, true}},       {-1, {true, true, true}},
        {5, {true, true, true}},
    };
    for (const Case& c : cases) EXPECT_EQ(VisibilityFor(c.type), c.shown) << c.type;
}

}  // namespace
