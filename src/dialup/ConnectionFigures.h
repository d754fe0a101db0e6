#pragma once
// How a connection's figures read wherever they are shown (main window, status and
// result dialogs, tray tip, command line).
#include <cstdint>
#include <string>

namespace vr31k {

// "HH:MM:SS" with the hours not wrapped at 24: 3,725 s reads 01:02:05, 100 h 100:00:00.
std::string FormatConnectionTime(uint64_t durationMs);
// (sent + received) / 1024 with digit grouping, followed by " kBytes".
std::string FormatConnectionVolume(uint64_t sent, uint64_t received);
// The charge as text: the yen sign and a blank before the number, or "---" when no
// plan applies (a negative charge).
std::string FormatCharge(int64_t charge);

}  // namespace vr31k
