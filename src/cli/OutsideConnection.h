#pragma once
// status when neither the utility nor a `vr31kctl connect` holds the connection, but a
// ppp link is up over the card (a pppd left behind by a killed connect, another
// dialler): it is shown as an outside connection instead of "no connection".
#include "cli/CliCommand.h"
#include "platform/DialupService.h"
#include "platform/LinkPath.h"

#include <optional>

namespace vr31k::cli {

// The first link up over the card among the service's connections (over any device
// with `acceptAnyDevice`, as connect adopts it), as status shows it; nothing when there
// is none. The service must know the card's tty already.
// With `path`, its warning line when its traffic or names go elsewhere.
std::optional<Json> OutsideConnectionFigures(IDialupService& service, int acceptAnyDevice,
                                             const LinkPathProbe& path = {});

// The exit status when such a link was found and printed; nothing when there is none.
std::optional<int> ReportOutsideConnection(CliContext& context);

// The interface of the link up over the card (the utility's, connect's or another
// dialler's), by the rule above; empty when there is none or the card's port is unknown.
std::string CardLinkInterface(CliContext& context);

}  // namespace vr31k::cli
