#pragma once
// Text from outside (a process name, a file's contents, a path) as plain output may
// print it: a terminal must show it, not obey it.
#include <string>
#include <string_view>

namespace vr31k {

// `text` with what a terminal or a text view would act on written out instead: C0 and
// C1 controls, DEL and bytes that are not UTF-8 as \xNN; the characters that reorder
// or hide text (bidi embeddings, overrides, isolates and marks, zero-width and line
// separators) as \u{NNNN}. Every other character, Japanese included, is kept, and so is
// a backslash, so text escaped once comes out the same when escaped again.
std::string TerminalText(std::string_view text);
// The same, cut after `maxChars` characters of the escaped text (with "..." then): for
// text of any length from another program, such as a bus error's message.
std::string TerminalText(std::string_view text, size_t maxChars);
// The same for a text of several lines: its line feeds are kept.
std::string TerminalLines(std::string_view text);

}  // namespace vr31k
