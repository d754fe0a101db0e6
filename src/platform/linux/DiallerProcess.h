#pragma once
// What the system tells about dialler processes and serial modems: a process's
// arguments and tty, whether it lives, and the serial modems sysfs shows.
#include "platform/DialupService.h"

#include <string>
#include <vector>

namespace vr31k {

// The folder of the running program (for programs installed beside it).
std::string ProgramFolder();
bool ProcessAlive(int pid);
std::vector<std::string> ProcessArguments(int pid);
// The tty a dialler process works on, or "" when none can be found.
std::string ProcessPort(int pid, const std::vector<std::string>& args, const std::string& lockDir);
// USB serial modems (ttyACM*, ttyUSB*) as "<maker> <product> (ttyX)", by port.
std::vector<DialDevice> ListSerialModems(const std::string& ttySysRoot);

}  // namespace vr31k
