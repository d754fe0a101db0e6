#pragma once
// How much a byte or time counter grew between two samples.
#include <cstdint>

namespace vr31k {

// More than the card can move between two samples a second apart: a 32-bit counter
// that "wrapped" by more than this was started again instead (an interface made anew
// under the same name), and counting as a wrap would add up to 4 GiB of nothing.
inline constexpr uint64_t kMaxWrapIncrease = uint64_t{256} << 20;

// A counter `bits` wide (32 or 64). A smaller value than last time is a new segment:
// the bytes before it stay counted and the new value is what moved since. Only a
// 32-bit counter that was close to its end is taken as wrapped once.
inline uint64_t CounterIncrease(uint64_t current, uint64_t last, unsigned bits) {
    if (current >= last) return current - last;
    if (bits == 32 && last <= 0xFFFFFFFFull) {
        const uint64_t wrapped = (0xFFFFFFFFull - last) + current + 1;
        if (wrapped <= kMaxWrapIncrease) return wrapped;
    }
    return current;
}

}  // namespace vr31k
