#pragma once
// The doctor's input for this machine as the faces run it: the system's
// (SystemDoctorInput) and what only the layers above the doctor can read, the programs
// kept off the card's link.
#include "doctor/Doctor.h"

#include <optional>
#include <string>

namespace vr31k {

// `cardLink` and `connectionTest` as SystemDoctorInput takes them.
DoctorInput MachineDoctorInput(const std::string& dataFolder, std::optional<std::string> port, bool chipset,
                               std::string cardLink = {}, bool connectionTest = false);
// The doctor's reader of the list of programs kept off the card's link in `dataFolder`.
decltype(DoctorInput::keptOff) KeptOffReader(const std::string& dataFolder);

}  // namespace vr31k
