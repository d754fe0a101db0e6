#pragma once
// Why the card refused the last dial, in its own words (AT+CEER), asked once the
// dialler has let go of the port: chat's script ends at the refusal, before it could ask.
#include <string>
#include <string_view>

namespace vr31k {

// "+CEER: <text>", or empty when the port cannot be had, the card does not answer
// within `timeoutMs`, or it gives no reason.
std::string AskCardWhyItRefused(const std::string& port, int timeoutMs = 1500);

// The reason in a reply to AT+CEER ("+CEER: <text>"); empty when it has none.
std::string ErrorReportIn(std::string_view reply);

}  // namespace vr31k
