#pragma once
// How the history views read: the cell texts of the history list, the totals' fields,
// and the order the list sorts its rows in. Pure functions, so the Qt views only
// display what these give.
#include "accounting/CDbHistoryCtrl.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vr31k {

// The list's columns, in order.
enum HistoryColumn : int {
    kColEntry = 0,
    kColStart,
    kColEnd,
    kColDuration,
    kColSent,
    kColRecv,
    kColLeftFree,
    kColLeftLimit,
    kColCharge,
    kHistoryColumnCount,
};

// The header width of each column, in pixels.
inline constexpr std::array<int, kHistoryColumnCount> kHistoryColumnWidths = {100, 126, 126, 98, 80,
                                                                              80,  130, 105, 70};

// "YYYY/MM/DD HH:MM:SS"; empty for a null date, "Invalid DateTime" for an invalid one.
std::string FormatHistoryDateTime(OleDate date);
// A day fraction, rounded to the nearest second: "1時間02分05秒", "1分00秒", "0秒". The
// hours run on past 24.
std::string FormatHistoryDuration(double dayFraction);
// Grouped digits and " Bytes", or kilobytes and " kBytes" above 2^30 bytes. An empty
// stored value reads as 0.
std::string FormatHistoryBytes(std::optional<int64_t> bytes);
// "¥ 1,234"; "---" for an empty value or a negative charge (no plan).
std::string FormatHistoryCharge(std::optional<int64_t> charge);

// The nine cell texts of one row.
using HistoryCells = std::array<std::string, kHistoryColumnCount>;
HistoryCells HistoryRowCells(const HistoryRow& row);

// Length of a text as the list measures it: bytes in the Japanese ANSI code page, where
// ASCII, the yen sign and half-width katakana take one byte and other characters two.
int CodePageLength(std::string_view utf8);

// What orders a cell text before collation, as one number per text: texts whose
// numbers differ are ordered by them, ascending; equal numbers leave it to collation.
// The entry column has none (0); the others count the text's length, byte counts
// ranking every kilobyte count after every byte count, and "---" charges coming first.
int64_t HistoryRankKey(int column, std::string_view text);

// Orders two cell texts of `column` ascending: by their rank keys, then by `collate`
// (the locale's collation of the two texts, negative/zero/positive).
template <typename Collate>
int CompareHistoryCells(int column, std::string_view a, std::string_view b, Collate&& collate) {
    const int64_t ka = HistoryRankKey(column, a);
    const int64_t kb = HistoryRankKey(column, b);
    if (ka != kb) return ka < kb ? -1 : 1;
    return collate(a, b);
}

// The window state kept in GUI_CONFIG: sort column -1 (unsorted) to 8, anything else
// unsorted.
inline int ValidSortColumn(int column) { return column >= 0 && column < kHistoryColumnCount ? column : -1; }

}  // namespace vr31k
