#pragma once
// What pppd's ip-up and ip-down hooks run (as root) for every link over the card, the
// utility's own and other diallers': steps that set the machine up for the link while
// it is up and undo that when it ends. Steps are independent: one that fails says why
// on `err` and the others still run. A step touches only what is its own (its table,
// its files, the link's own settings), never the rest of the machine.
#include "cli/PppdLink.h"

#include <ostream>
#include <span>

namespace vr31k::cli {

enum class LinkPhase { Up, Down };

struct LinkHookStep {
    const char* name;
    // 0 done or nothing to do; else it failed and said why on `err`.
    int (*run)(LinkPhase phase, const PppdLinkInput& link, std::ostream& err);
};

// The steps in the order ip-up runs them; ip-down runs them in reverse.
std::span<const LinkHookStep> LinkHookSteps();

// 0 every step ran, 1 the link is not the card's (nothing done), 2 a step failed.
int RunLinkHook(LinkPhase phase, const PppdLinkInput& link, std::span<const LinkHookStep> steps,
                std::ostream& err);

}  // namespace vr31k::cli
