#pragma once
// What the system tells about dialler processes and serial modems: a process's
// arguments and tty, whether it lives, and the serial modems sysfs shows.
#include "platform/DialupService.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vr31k {

// The folder of the running program (for programs installed beside it).
std::string ProgramFolder();
bool ProcessAlive(int pid);
// The process's start in clock ticks since boot (/proc/PID/stat), or 0 when it is gone.
uint64_t ProcessStartTicks(int pid, const std::string& procRoot = "/proc");
// How long ago the process started (0 when it is gone): a link's real age is its
// dialler's.
std::chrono::milliseconds ProcessAge(int pid);
std::vector<std::string> ProcessArguments(int pid);
// The tty a dialler process works on, or "" when none can be found.
std::string ProcessPort(int pid, const std::vector<std::string>& args, const std::string& lockDir);
// USB serial modems (ttyACM*, ttyUSB*) as "<maker> <product> (ttyX)", by port.
std::vector<DialDevice> ListSerialModems(const std::string& ttySysRoot);

}  // namespace vr31k
