#pragma once
// status when neither the utility nor a `vr31kctl connect` holds the connection, but a
// ppp link is up over the card (a pppd left behind by a killed connect, another
// dialler): it is shown as an outside connection instead of "no connection".
#include "cli/CliCommand.h"

#include <optional>

namespace vr31k::cli {

// The exit status when such a link was found and printed; nothing when there is none.
std::optional<int> ReportOutsideConnection(CliContext& context);

}  // namespace vr31k::cli
