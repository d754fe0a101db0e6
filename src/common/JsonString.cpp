#include "common/JsonString.h"

#include "common/Utf8.h"

#include <cstdio>

namespace vr31k {

std::string QuoteJsonString(std::string_view raw) {
    const std::string text = ToValidUtf8(raw);
    std::string out = "\"";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
                out += buffer;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

}  // namespace vr31k
