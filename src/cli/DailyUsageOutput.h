#pragma once
// vr31kctl usage --daily: a billing period day by day, as JSON or as CSV for plotting.
#include "cli/ChargeSession.h"

#include <optional>
#include <string>

namespace vr31k::cli {

inline constexpr const char* kDailyCsvHeader = "day,bytes,cumulative_bytes,charge";

// `period` "YYYY/MM/DD - YYYY/MM/DD", or the current one. The history must be open.
int PrintDailyUsage(CliContext& context, CChargeSession& session, const std::optional<std::string>& period,
                    bool csv);

}  // namespace vr31k::cli
