#include "common/ByteCount.h"

namespace vr31k {

bool FormatByteCount(uint64_t count, bool withUnit, bool mayScale, std::string& out) {
    const bool scaled = mayScale && count >= 1073741825ULL;
    if (scaled) count /= 1024;
    const std::string digits = std::to_string(count);
    out.clear();
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    if (withUnit) out += scaled ? " kBytes" : " Bytes";
    return scaled;
}

std::string FormatByteCount(uint64_t count, bool withUnit, bool mayScale) {
    std::string out;
    FormatByteCount(count, withUnit, mayScale, out);
    return out;
}

}  // namespace vr31k
