#include "app/MachineDoctor.h"

#include "accounting/ProgramBlockList.h"

namespace vr31k {

DoctorInput MachineDoctorInput(const std::string& dataFolder, std::optional<std::string> port, bool chipset,
                               std::string cardLink, bool connectionTest) {
    DoctorInput input = SystemDoctorInput(dataFolder, std::move(port), chipset, std::move(cardLink), connectionTest);
    input.keptOff = KeptOffReader(dataFolder);
    return input;
}

decltype(DoctorInput::keptOff) KeptOffReader(const std::string& dataFolder) {
    return [dataFolder](std::string& problem) -> std::optional<std::vector<std::string>> {
        const std::optional<ProgramBlockList> list = ReadProgramBlockList(dataFolder, problem);
        if (!list) return std::nullopt;
        std::vector<std::string> ids;
        for (const BlockedProgram& b : list->programs) ids.push_back(b.id);
        return ids;
    };
}

}  // namespace vr31k
