#pragma once
#include <cstdint>
#include <string>

namespace vr31k {

// Byte count as the user reads it: digits grouped by threes with ",", and with
// `withUnit` " Bytes" (or " kBytes" when scaled). With `mayScale`, counts above 2^30
// are shown in kilobytes (divided by 1024). Returns whether it scaled.
bool FormatByteCount(uint64_t count, bool withUnit, bool mayScale, std::string& out);
std::string FormatByteCount(uint64_t count, bool withUnit, bool mayScale);

// a + b held at the int64 range instead of wrapping: a sum of byte counts that would
// not fit reads as the largest count (or the smallest), never as a negative one.
int64_t AddSaturating(int64_t a, int64_t b);

}  // namespace vr31k
