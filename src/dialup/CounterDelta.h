#pragma once
// How much a byte or time counter grew between two samples.
#include <cstdint>

namespace vr31k {

// A counter `bits` wide (32 or 64): a smaller value than last time means a 32-bit
// counter wrapped once, or a 64-bit one started again from zero (it cannot wrap).
inline uint64_t CounterIncrease(uint64_t current, uint64_t last, unsigned bits) {
    if (current >= last) return current - last;
    if (bits == 32) return (0xFFFFFFFFull - last) + current + 1;
    return current;
}

}  // namespace vr31k
