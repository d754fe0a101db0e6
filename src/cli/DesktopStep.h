#pragma once
// The link hook's "desktop" step: while the card's link is up, NetworkManager reports it
// metered (unless the settings turn that off) and the link's name servers are used;
// both are undone when it ends (app/DesktopLinkStep.h).
#include "cli/LinkHook.h"

namespace vr31k::cli {

int DesktopStep(LinkPhase phase, const PppdLinkInput& link, std::ostream& err);

}  // namespace vr31k::cli
