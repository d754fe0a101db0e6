#include "cli/ProgramsStep.h"

#include "app/LinkPrograms.h"

namespace vr31k::cli {

int RunProgramsStep(LinkPhase phase, const PppdLinkInput& link, std::ostream& err) {
    const ProgramsLinkInput in{link.dataFolder, link.InterfaceName(), link.Tty(), link.now};
    return phase == LinkPhase::Up ? StartLinkPrograms(in, err) : EndLinkPrograms(in, err);
}

}  // namespace vr31k::cli
