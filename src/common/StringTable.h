#pragma once
// The program's string table: resource id -> UTF-8 text, exactly as the user sees it.
// Message boxes take their caption and text from two consecutive ids.
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

// The text of `id`, or an empty view when the table has no such id.
std::string_view LoadString(int id);
bool HasString(int id);

// The text of `id` with printf-style "%s" / "%d" replaced in order by `args`
// (already formatted as text). Other characters, "%%" included, are kept as in C.
std::string FormatString(int id, std::initializer_list<std::string_view> args);
std::string FormatString(int id, const std::vector<std::string>& args);

}  // namespace vr31k
