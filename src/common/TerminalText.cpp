#include "common/TerminalText.h"

#include "common/Utf8.h"

#include <cstdio>

namespace vr31k {

namespace {

char32_t Decode(std::string_view sequence) {
    const auto byte = [&](size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(sequence[k])); };
    if (sequence.size() == 1) return byte(0);
    char32_t code = byte(0) & (0x7F >> sequence.size());
    for (size_t k = 1; k < sequence.size(); ++k) code = (code << 6) | (byte(k) & 0x3F);
    return code;
}

// Characters that move, hide or break the text around them without being seen.
bool Invisible(char32_t c) {
    return (c >= 0x80 && c <= 0x9F)                      // C1 controls (CSI, OSC, ...)
           || c == 0x061C                                // Arabic letter mark
           || (c >= 0x200B && c <= 0x200F)               // zero-width characters, LRM, RLM
           || (c >= 0x2028 && c <= 0x202E)               // line and paragraph separators, embeddings, overrides
           || (c >= 0x2060 && c <= 0x206F)               // word joiner, isolates, deprecated format controls
           || c == 0xFEFF;                               // zero-width no-break space
}

}  // namespace

std::string TerminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    char buffer[16];
    for (size_t i = 0; i < text.size();) {
        const size_t n = Utf8SequenceLength(text, i);
        const auto lead = static_cast<unsigned char>(text[i]);
        if (n == 0 || lead < 0x20 || lead == 0x7F) {
            std::snprintf(buffer, sizeof buffer, "\\x%02X", lead);
            out += buffer;
            ++i;
            continue;
        }
        const std::string_view sequence = text.substr(i, n);
        if (const char32_t c = Decode(sequence); Invisible(c)) {
            std::snprintf(buffer, sizeof buffer, "\\u{%04X}", static_cast<unsigned>(c));
            out += buffer;
        } else {
            out += sequence;
        }
        i += n;
    }
    return out;
}

std::string TerminalText(std::string_view text, size_t maxChars) {
    const std::string escaped = TerminalText(text);
    size_t chars = 0;
    for (size_t i = 0; i < escaped.size(); i += Utf8SequenceLength(escaped, i)) {
        if (++chars > maxChars) return escaped.substr(0, i) + "...";
    }
    return escaped;
}

std::string TerminalLines(std::string_view text) {
    std::string out;
    for (size_t start = 0;;) {
        const size_t end = text.find('\n', start);
        out += TerminalText(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return out;
        out += '\n';
        start = end + 1;
    }
}

}  // namespace vr31k
