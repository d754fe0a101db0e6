#pragma once
// The check made when the charge plan page is left (OK or another page): the field
// rules, then whether the plan is complete for its type, whether the notice can fire,
// and whether anything changed. It is worked out in one go as the boxes the user will
// see in order: a stop ends it; a question ends it when answered No.
#include "accounting/PlanFieldRules.h"
#include "common/MessageBox.h"
#include "common/SettingsStore.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace vr31k {

inline constexpr int kPlanFieldCount = 7;

// What the page holds: the two list choices (-1 for none) and the field texts.
struct PlanEntry {
    int chargeType = -1;
    int closingDay = -1;  // none chosen keeps the stored closing day
    std::array<std::string, kPlanFieldCount> texts;  // in PlanField order

    std::string& Text(PlanField field) { return texts[static_cast<size_t>(field)]; }
    const std::string& Text(PlanField field) const { return texts[static_cast<size_t>(field)]; }
};

// The page's texts for a plan: "%d" for the integers, "%g" for the price, empty for
// an unset (negative) value.
PlanEntry EntryFromPlan(const DialupSettings& plan);

enum class PlanStepKind { Stop, Question };

struct PlanCheckStep {
    PlanStepKind kind = PlanStepKind::Stop;
    MessageBoxRequest box;
    std::optional<PlanField> field;  // a refused field: it gets the focus, its text selected
};

struct PlanFinalCheck {
    std::vector<PlanCheckStep> steps;
    // The plan as entered, on top of the stored one; only meaningful when no step stops.
    DialupSettings entered;
    // The last question asks whether to start counting with the changed plan: a Yes
    // makes the entered plan the stored one.
    bool confirmsChange = false;
};

PlanFinalCheck CheckPlanOnLeave(const PlanEntry& entry, const DialupSettings& stored);

struct PlanLeaveResult {
    bool leave = false;
    std::optional<PlanField> focus;  // set when a field was refused
};

// Shows the boxes of the check in order through `boxes`. When the page may be left
// after a confirmed change, `stored` takes the entered plan.
PlanLeaveResult LeavePlanPage(const PlanEntry& entry, DialupSettings& stored, IMessageBox& boxes);

// The entered plan over `stored`, each field's text read as its value (-1 when empty
// or refused).
DialupSettings PlanFromEntry(const PlanEntry& entry, const DialupSettings& stored);

}  // namespace vr31k
