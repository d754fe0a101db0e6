#pragma once
// The input rules of the SIM code prompts: each code is 4 to 8 decimal digits, and a
// new PIN must equal its confirmation. Checks return 0, or the caption id of the
// message box that refuses the input (its text id follows it).
#include <string_view>

namespace vr31k {

bool IsValidSimCode(std::string_view code);
// A PIN prompt: 0 or 116 (format).
int CheckPinEntry(std::string_view pin);
// The PUK prompt and the PIN change: 0, 116 (format; checked first) or 124 (mismatch).
int CheckCodesWithNewPin(std::string_view code, std::string_view newPin, std::string_view confirmPin);

}  // namespace vr31k
