#pragma once
// The share of its built-in waits this process spends: the data folder's lock, the
// card's reply time-outs and pauses. 100 % unless the user who runs a program asks it
// for less (VR31K_WAIT_PERCENT, 1 to 100), so that a test or a script is told of a
// kept lock or a silent card in a fraction of the time. It only ever shortens a wait:
// no value makes one longer, and nobody but the program's own user sets it.
// Set once by a program's main before its work begins; every thread may read it.
#include <chrono>
#include <string>

namespace vr31k {

inline constexpr const char* kWaitPercentVariable = "VR31K_WAIT_PERCENT";

struct WaitPercent {
    int percent = 100;
    std::string problem;  // why the value was not taken (the full waits are kept)
};
// A value of the variable: a whole number from 1 to 100; unset or empty is 100.
WaitPercent ParseWaitPercent(const char* value);
// Reads the variable and takes its share for this process: the problem when it was
// not taken, else empty.
std::string TakeWaitPercentFromEnvironment();

// `wait` at this process's share (at least 1 ms of a wait that was not 0).
std::chrono::milliseconds ShareOfWait(std::chrono::milliseconds wait);
int ShareOfWaitMs(int ms);

}  // namespace vr31k
