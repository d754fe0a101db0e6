#pragma once
// The period's pace and the user's own limit on the command line: `plan limit`,
// `plan set-limit`, and the fields `usage` prints for them.
#include "accounting/PeriodPace.h"
#include "accounting/UsageLimit.h"
#include "cli/CliCommand.h"

#include <optional>

namespace vr31k::cli {

// `plan limit`: VR31K_LIMIT and where the limit lies under the plan.
int ShowLimit(CliContext& context, CliArgs& args);
// `plan set-limit`: changes the keys given; nothing is written when one is refused.
int SetLimit(CliContext& context, CliArgs& args);

// For `connect` before it dials, with the history open: while the recorded period has
// reached the user's limit and `overLimit` was not given, prints the refusal (error
// "limit-reached") and returns kExitLimitReached; none when it may dial.
std::optional<int> RefuseAtLimit(CliContext& context, const ChargeAccounting& charge, bool overLimit);

// usage's pace fields (null, and no line, when the period has no end).
void SetPace(Json& result, const PeriodPace& pace);
// usage's "limit" object, set only while the limit is on.
void SetLimitStatus(Json& result, const LimitSettings& limit, const LimitStatus& status);

}  // namespace vr31k::cli
