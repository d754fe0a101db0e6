#pragma once
// A bounded wait on what another process or thread tells nothing about: the condition
// is looked at again every `step` until it holds or `limit` has passed.
#include <chrono>
#include <functional>
#include <thread>

namespace vr31k::test {

// True as soon as `done` holds; false once `limit` has passed without it.
inline bool PollUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20),
                      std::chrono::milliseconds step = std::chrono::milliseconds(50)) {
    for (const auto end = std::chrono::steady_clock::now() + limit; !done();) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(step);
    }
    return true;
}

}  // namespace vr31k::test
