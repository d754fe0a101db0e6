#include "dialup/ConnectionFigures.h"

#include "common/ByteCount.h"

#include <cstdio>

namespace vr31k {

std::string FormatConnectionTime(uint64_t durationMs) {
    const uint64_t seconds = durationMs / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%02llu:%02u:%02u", static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
    return text;
}

std::string FormatConnectionVolume(uint64_t sent, uint64_t received) {
    return FormatByteCount((sent + received) / 1024, false, false) + " kBytes";
}

std::string FormatCharge(int64_t charge) {
    if (charge < 0) return "---";
    // The yen sign of the original code page is the byte 0x5C; here it is U+00A5.
    return "\u00A5 " + FormatByteCount(static_cast<uint64_t>(charge), false, false);
}

}  // namespace vr31k
