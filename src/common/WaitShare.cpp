#include "common/WaitShare.h"

#include "common/TerminalText.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace vr31k {
namespace {

std::atomic<int> g_percent{100};

}  // namespace

WaitPercent ParseWaitPercent(const char* value) {
    if (value == nullptr || *value == '\0') return {};
    const char* end = value + std::strlen(value);
    int percent = 0;
    const auto [stop, error] = std::from_chars(value, end, percent);
    if (error != std::errc() || stop != end || percent < 1 || percent > 100) {
        return {100, std::string(kWaitPercentVariable) + " must be a whole number from 1 to 100, not '" +
                         TerminalText(value, 40) + "'; the full waits are kept"};
    }
    return {percent, {}};
}

std::string TakeWaitPercentFromEnvironment() {
    WaitPercent taken = ParseWaitPercent(std::getenv(kWaitPercentVariable));
    g_percent.store(taken.percent, std::memory_order_relaxed);
    return std::move(taken.problem);
}

std::chrono::milliseconds ShareOfWait(std::chrono::milliseconds wait) {
    if (wait.count() <= 0) return wait;
    return std::max(std::chrono::milliseconds(1), wait * g_percent.load(std::memory_order_relaxed) / 100);
}

int ShareOfWaitMs(int ms) { return static_cast<int>(ShareOfWait(std::chrono::milliseconds(ms)).count()); }

}  // namespace vr31k
