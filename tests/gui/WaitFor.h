#pragma once
#include <functional>

namespace vr31k::test {

// Runs the event loop until `condition` holds (true) or the time is up (false).
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

}  // namespace vr31k::test
