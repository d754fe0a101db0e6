#pragma once
// The link hook's "programs" step: the link's per-program counting, set up at ip-up and
// ended at ip-down (app/LinkPrograms.h).
#include "cli/LinkHook.h"

namespace vr31k::cli {

int RunProgramsStep(LinkPhase phase, const PppdLinkInput& link, std::ostream& err);

}  // namespace vr31k::cli
