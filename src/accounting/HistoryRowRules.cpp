#include "accounting/HistoryRowRules.h"

#include "common/Utf8.h"

#include <cmath>

namespace vr31k {

std::string HistoryEntryNameProblem(std::string_view name) {
    if (name.empty() || name.size() > kMaxHistoryEntryBytes) return "the entry name must have 1 to 256 bytes";
    for (unsigned char c : name) {
        // A line break would split the CSV line the import reads back.
        if (c < 0x20 || c == 0x7F) return "the entry name must not hold control characters or line breaks";
    }
    if (!IsValidUtf8(name)) return "the entry name is not UTF-8 text";
    return {};
}

std::string HistoryRowProblem(const HistoryRow& row, OleDate now) {
    if (std::string problem = HistoryEntryNameProblem(row.entry); !problem.empty()) return problem;
    if (row.end.IsValid() && now.IsValid() && row.end.value > now.value + kMaxHistoryDaysAhead) {
        return "the end " + FormatOleDateTime(row.end) + " is more than a day ahead of the clock";
    }
    if (row.start.IsValid() && row.end.IsValid() && row.start.value > row.end.value) return "start is later than end";
    if (row.sent < 0 || row.sent > kMaxHistoryBytes || row.recv < 0 || row.recv > kMaxHistoryBytes) {
        return "a byte count is beyond " + std::to_string(kMaxHistoryBytes);
    }
    // Compared as reals: a duration beyond 64 bits of seconds must not wrap into range.
    if (!(row.duration >= 0) ||
        !(std::round(row.duration * kSecondsPerDay) <= static_cast<double>(kMaxHistoryDurationSeconds))) {
        return "the duration is beyond a century";
    }
    if (row.charge && (*row.charge < 0 || *row.charge > kMaxHistoryCharge)) {
        return "the charge is beyond 0 to " + std::to_string(kMaxHistoryCharge) + " yen";
    }
    return {};
}

}  // namespace vr31k
