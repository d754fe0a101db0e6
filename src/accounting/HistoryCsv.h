#pragma once
// History rows as CSV: a header line of the field names, then one line per row, in a
// form a spreadsheet opens as it is and the import reads back.
#include "accounting/CDbHistoryCtrl.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vr31k {

inline constexpr const char* kHistoryCsvHeader =
    "entry,start,end,duration_s,sent,recv,left_free,left_limit,charge";

// Whole seconds of a stored day-fraction duration; nullopt when they do not fit in 64
// bits (a row no rule lets in, from a damaged or foreign history).
std::optional<int64_t> DurationSeconds(double dayFraction);
// The same as text: the whole seconds, else the seconds as a real ("1.0368e+19", "inf"),
// which the import refuses.
std::string DurationSecondsText(double dayFraction);

// One line (without its line break); a name that is not UTF-8 has U+FFFD for its bad
// bytes.
std::string FormatHistoryCsvLine(const HistoryRow& row);

// The whole history in table order, header first: what `vr31kctl history list --csv`
// prints and the history list saves. Returns the history's code; `text` is complete
// only on kDbOk.
int WriteHistoryCsv(const CDbHistoryCtrl& history, std::string& text);

struct CsvImport {
    std::vector<HistoryRow> rows;
    int errorLine = 0;  // 1-based; 0 when the whole text was read
    std::string error;
};

// Reads the export's form: the header, then rows; blank lines and CRLF are accepted.
// The first malformed line, or row the history does not take (HistoryRowProblem, with
// `now` the clock), stops the reading with its number and no rows.
CsvImport ParseHistoryCsv(std::string_view text, OleDate now = OleNow());

}  // namespace vr31k
