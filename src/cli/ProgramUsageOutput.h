#pragma once
// vr31kctl usage --programs: a billing period's bytes and charge per program.
#include "cli/ChargeSession.h"

#include <optional>
#include <string>

namespace vr31k::cli {

// `period` "YYYY/MM/DD - YYYY/MM/DD", or the current one. The history must be open.
int PrintProgramUsage(CliContext& context, CChargeSession& session, const std::optional<std::string>& period);

}  // namespace vr31k::cli
