#pragma once
// UTF-8 checks for text that reaches JSON, CSV or the history: names may come from
// files written by anyone, and output must stay well-formed whatever they hold.
#include <string>
#include <string_view>

namespace vr31k {

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates, or code points
// above U+10FFFF).
bool IsValidUtf8(std::string_view text);
// The length of the well-formed sequence that starts at text[at], 0 when none does.
size_t Utf8SequenceLength(std::string_view text, size_t at);
// `text` with each byte that does not start a well-formed sequence replaced by U+FFFD.
std::string ToValidUtf8(std::string_view text);

}  // namespace vr31k
