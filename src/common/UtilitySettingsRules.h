#pragma once
// The checks the utility settings dialog applies before it accepts its values.
#include <string>
#include <string_view>

namespace vr31k {

inline constexpr int kOneshotTimeMin = 10;
inline constexpr int kOneshotTimeMax = 60;

struct FieldCheck {
    bool ok = false;
    int value = 0;
    int captionId = 0;  // the message when !ok
    int textId = 0;
    std::string text;   // the message text with its numbers in place
};

// Digits only (no sign, no blank), then 10 to 60. Empty text fails the range test.
FieldCheck CheckOneshotTime(std::string_view text);

}  // namespace vr31k
