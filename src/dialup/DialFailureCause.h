#pragma once
// Why a dial failed, in one sentence with what to do about it: the dial-up service's
// own words when it has them (pppd's log, what the card said), else the meaning of the
// error number. The number itself is never changed; this goes beside it.
#include <string>
#include <string_view>

namespace vr31k {

// `detail`: the service's LastErrorDetail() for the failed dial ("" when none).
std::string DialFailureCause(int code, std::string_view detail);

}  // namespace vr31k
