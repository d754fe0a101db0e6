// The ip-up and ip-down hooks' steps, one line each, in the order ip-up runs them.
#include "cli/LinkHook.h"

#include "cli/DesktopStep.h"
#include "cli/ProgramsStep.h"

namespace vr31k::cli {

namespace {

constexpr LinkHookStep kSteps[] = {
    {"programs", RunProgramsStep},
    {"desktop", DesktopStep},
};

}  // namespace

std::span<const LinkHookStep> LinkHookSteps() { return kSteps; }

}  // namespace vr31k::cli
