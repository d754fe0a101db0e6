#pragma once
// What the history takes: the same rules for a row recorded from the command line and
// for a row imported from CSV, so that every export imports again, a typo in a year
// cannot make the pruning of old periods delete the history, and no period's sums can
// overflow.
#include "accounting/CDbHistoryCtrl.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vr31k {

inline constexpr size_t kMaxHistoryEntryBytes = 256;
// Per connection, far beyond any: a pebibyte each way and a century.
inline constexpr int64_t kMaxHistoryBytes = int64_t{1} << 50;
inline constexpr int64_t kMaxHistoryDurationSeconds = int64_t{100} * 366 * 86400;
// The most a charge can be: the accounting computes charges in 32 bits.
inline constexpr int64_t kMaxHistoryCharge = INT32_MAX;
// How far ahead of the clock an end may lie (clocks of two machines, time zones).
inline constexpr double kMaxHistoryDaysAhead = 1.0;

// What is wrong with an entry name (1 to 256 bytes of UTF-8 without control
// characters), or empty.
std::string HistoryEntryNameProblem(std::string_view name);
// What is wrong with a row (its name, an end more than a day ahead of `now`, a start
// after its end, byte counts, a duration or a charge beyond the limits above), or empty.
std::string HistoryRowProblem(const HistoryRow& row, OleDate now);

}  // namespace vr31k
