#pragma once
// The link hook's "programs" step: at ip-up the link's per-program counting is set up
// (the kernel's table, the programs kept off the link, the first record) and a reader is
// started for the link's lifetime (vr31k-program-reader, detached: ip-up does not wait
// for it); at ip-down the reader is stopped, the final figures written and the table
// removed.
#include "cli/LinkHook.h"

#include <string>

namespace vr31k::cli {

inline constexpr const char* kProgramReaderName = "vr31k-program-reader";

int RunProgramsStep(LinkPhase phase, const PppdLinkInput& link, std::ostream& err);

}  // namespace vr31k::cli
