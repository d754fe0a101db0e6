// The plan page's field rules: digits, ranges, empty values, typing and leaving.
#include "accounting/ChargePlan.h"
#include "accounting/PlanFieldRules.h"
#include "support/SamplePlan.h"

#include <gtest/gtest.h>

using namespace vr31k;

namespace {

constexpr const char* kDigits = "設定値には、数字(0～9)を入力してください。\n(負数も入力できません。)";
constexpr const char* kPriceDigits = "設定値には、数字を入力してください。\n(負数も入力できません。)";

// Each text as the final check takes it, and (`typing`: 1 passes, 0 refused, -1 not
// tried) as the check made while it is typed, where 0 or less and a short ratio pass.
TEST(PlanFieldRules, FinalCheckAndWhileTyping) {
    struct Case {
        PlanField field;
        const char* text;
        bool ok;
        double value;
        const char* message;
        int typing = -1;
    } cases[] = {
        {PlanField::FreePackets, "12a", false, 0, kDigits, 0},
        {PlanField::FreePackets, "-5", false, 0, kDigits},
        {PlanField::FreePackets, "", true, -1, ""},
        {PlanField::FreePackets, "0", false, 0, "1 から 99999999 までの整数を入力してください。", 1},
        {PlanField::FreePackets, "99999999", true, 99999999, ""},
        {PlanField::FreePackets, "100000000", false, 0, "1 から 99999999 までの整数を入力してください。"},
        {PlanField::FreeCall1, "99999999999999999999", false, 0, "1 から 999999 までの整数を入力してください。"},
        {PlanField::MaxCharge2, "4980", true, 4980, ""},
        {PlanField::PacketSize, "", false, 0, "1 から 999999 までの整数を入力してください。", 1},
        {PlanField::PacketSize, "128", true, 128, ""},
        {PlanField::NoticeCharge, "1000", true, 1000, ""},
        {PlanField::NoticeRatio, "3", false, 0, "50% から 100% までの整数を入力してください。", 1},
        {PlanField::NoticeRatio, "30", false, 0, "50% から 100% までの整数を入力してください。", 1},
        {PlanField::NoticeRatio, "80", true, 80, ""},
        {PlanField::NoticeRatio, "101", false, 0, "50% から 100% までの整数を入力してください。", 0},
        {PlanField::PacketCharge2, "", true, -1, ""},
        {PlanField::PacketCharge2, "0.21", true, 0.21, ""},
        {PlanField::PacketCharge2, ".5", true, 0.5, ""},
        {PlanField::PacketCharge2, ".", false, 0, "0.001 から 999999 までの数字を入力してください。", 1},
        {PlanField::PacketCharge2, "0.000", false, 0, "0.001 から 999999 までの数字を入力してください。", 1},
        {PlanField::PacketCharge2, "0.0005", false, 0, "0.001 から 999999 までの数字を入力してください。", 0},
        {PlanField::PacketCharge2, "1000000", false, 0, "0.001 から 999999 までの数字を入力してください。"},
        {PlanField::PacketCharge2, "1.2.", false, 0, kPriceDigits, 0},
        {PlanField::PacketCharge2, "1.2.3", false, 0, kPriceDigits},
        {PlanField::PacketCharge2, "1e3", false, 0, kPriceDigits},
        {PlanField::PacketCharge2, "-1", false, 0, kPriceDigits},
    };
    for (const Case& c : cases) {
        const PlanFieldCheck check = CheckPlanField(c.field, c.text);
        EXPECT_EQ(check.ok, c.ok) << c.text;
        EXPECT_EQ(check.text, c.message) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(check.value, c.value) << c.text;
        } else {
            EXPECT_EQ(check.caption, "入力値の確認") << c.text;
        }
        if (c.typing >= 0) {
            EXPECT_EQ(CheckPlanField(c.field, c.text, true).ok, c.typing == 1) << c.text << " while typing";
        }
    }
}

TEST(PlanFieldRules, TwoStageCapBelowTheFreeFeeCannotBeSaved) {
    DialupSettings plan =
        test::MakePlan({.type = kChargeTwoStage, .price = 0.5, .freePackets = 1000, .freeFee = 2000, .cap = 1000});
    const PlanFieldCheck check = CheckPlanCombination(plan);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.caption, "パケット課金設定の確認");
    plan.maxCharge2 = 2000;
    EXPECT_TRUE(CheckPlanCombination(plan).ok);
    plan.maxCharge2 = 1000;
    plan.chargeType = kChargeMeteredCap;
    EXPECT_TRUE(CheckPlanCombination(plan).ok);
}

}  // namespace
