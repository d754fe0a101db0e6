#pragma once
// Why a dial failed, in one sentence with what to do about it, from the meaning of the
// error number; the dial-up service's own words (pppd's log, what the card said) follow
// as they came. The number itself is never changed; this goes beside it.
#include <string>
#include <string_view>

namespace vr31k {

// `detail`: the service's LastErrorDetail() for the failed dial ("" when none).
std::string DialFailureCause(int code, std::string_view detail);

// Whether the connection diagnosis has a check that can name why a dial ended with
// `code` (the card's port, the rights, the kernel's PPP, pppd's files, the SIM).
bool DiagnosisNamesDialFailure(int code);

}  // namespace vr31k
