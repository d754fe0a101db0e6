#include "common/ByteCount.h"

#include <limits>

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

int64_t AddSaturating(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

}  // namespace vr31k
