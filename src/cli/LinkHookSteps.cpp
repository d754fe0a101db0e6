// The ip-up and ip-down hooks' steps, one line each, in the order ip-up runs them.
#include "cli/LinkHook.h"

namespace vr31k::cli {

namespace {

constexpr LinkHookStep kSteps[] = {
    // No step yet: the hook is installed so that steps can be added without
    // touching pppd's configuration again.
    {"none", [](LinkPhase, const PppdLinkInput&, std::ostream&) { return 0; }},
};

}  // namespace

std::span<const LinkHookStep> LinkHookSteps() { return kSteps; }

}  // namespace vr31k::cli
