#include "cli/LinkHook.h"

#include <iterator>
#include <ranges>

namespace vr31k::cli {

int RunLinkHook(LinkPhase phase, const PppdLinkInput& link, std::span<const LinkHookStep> steps,
                std::ostream& err) {
    if (!IsCardLink(link)) return 1;
    int status = 0;
    const auto runStep = [&](const LinkHookStep& step) {
        if (step.run(phase, link, err) != 0) status = 2;
    };
    // Undone in reverse, so a step can rely on what the ones before it set up.
    if (phase == LinkPhase::Up) {
        for (const LinkHookStep& step : steps) runStep(step);
    } else {
        for (const LinkHookStep& step : std::views::reverse(steps)) runStep(step);
    }
    return status;
}

}  // namespace vr31k::cli
