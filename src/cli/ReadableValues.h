#pragma once
// Numbers in vr31kctl's results that people cannot read by themselves: the JSON keeps
// the number, the plain output shows what it means.
#include "accounting/ConnectionSnapshot.h"
#include "cli/CliCardUi.h"
#include "cli/Json.h"

#include <cstdint>
#include <vector>

namespace vr31k::cli {

// The main window's card state, shown as e.g. "ready (8)".
Json CardStateJson(int state);
// Sets "messages", the boxes' caption ids (shown as "[caption] text"), and beside them
// for the JSON "message_texts", each box's {"caption", "text"}.
void SetMessages(Json& result, const std::vector<ShownBox>& boxes);
// DUP_CONFIG values: a negative one is "not set".
Json PlanValue(int32_t value);
Json PlanValue(double value);
Json ChargeTypeJson(int32_t type);
Json ClosingDayJson(int32_t day);
// A stored duration in seconds: whole seconds, or a real where they do not fit in 64
// bits (null when not finite), never a wrapped value.
Json DurationJson(double dayFraction);

}  // namespace vr31k::cli
