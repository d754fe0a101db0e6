#pragma once
// A text as a JSON string, for every writer of JSON (vr31kctl's results, the running
// utility's replies).
#include <string>
#include <string_view>

namespace vr31k {

// The text in double quotes with its escapes; bytes that are not UTF-8 are replaced, so
// names read from files never make broken JSON.
std::string QuoteJsonString(std::string_view raw);

}  // namespace vr31k
