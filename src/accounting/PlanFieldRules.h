#pragma once
// The checks the charge plan page applies to its fields, shared by every face that
// edits the plan. Integer fields take the digits 0-9 only, the price also one '.'.
#include "common/MessageBox.h"
#include "common/PlanFields.h"
#include "common/SettingsStore.h"

#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

struct PlanFieldCheck {
    bool ok = false;
    bool empty = false;   // an empty text: the value is unset
    double value = -1.0;  // the value when ok and not empty
    int captionId = 0;    // the message when !ok: its two ids, what was filled in, and
    int textId = 0;       // the texts as shown
    std::vector<std::string> args;
    std::string caption;
    std::string text;
};

// `live`: the check made while typing, where a value of 0 or less passes and the
// notice ratio is tested against its maximum only.
PlanFieldCheck CheckPlanField(PlanField field, std::string_view text, bool live = false);

// The box that tells a refusal.
MessageBoxRequest RefusalBox(const PlanFieldCheck& check, MessageIcon icon);

// The combination a plan cannot be saved with: type 3 whose cap is below its
// free-allowance fee. Returns ok with no message otherwise.
PlanFieldCheck CheckPlanCombination(const DialupSettings& plan);

}  // namespace vr31k
