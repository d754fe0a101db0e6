#include "mainwnd/HistoryViewRules.h"

#include "common/ByteCount.h"
#include "dialup/ConnectionFigures.h"

#include <cmath>
#include <cstdio>

namespace vr31k {

namespace {

constexpr std::string_view kNoCharge = "---";

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool IsByteColumn(int column) { return column >= kColSent && column <= kColLeftLimit; }

}  // namespace

std::string FormatHistoryDateTime(OleDate date) {
    switch (date.status) {
    case OleDate::Status::Null: return {};
    case OleDate::Status::Invalid: return "Invalid DateTime";
    case OleDate::Status::Valid: break;
    }
    std::string text = FormatOleDateTime(date);
    return text.empty() ? "Invalid DateTime" : text;  // valid in form, out of range
}

std::string FormatHistoryDuration(double dayFraction) {
    const double half = 0.5 / kSecondsPerDay;
    const double d = dayFraction + (dayFraction < 0 ? -half : half);
    const auto hours = static_cast<long long>(std::trunc(d * 24));
    const auto minutes = static_cast<long long>(std::trunc(d * 1440)) % 60;
    const auto seconds = static_cast<long long>(std::trunc(d * kSecondsPerDay)) % 60;
    char text[80];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%lld時間%02lld分%02lld秒", hours, minutes, seconds);
    } else if (minutes > 0) {
        std::snprintf(text, sizeof text, "%lld分%02lld秒", minutes, seconds);
    } else {
        std::snprintf(text, sizeof text, "%lld秒", seconds);
    }
    return text;
}

std::string FormatHistoryBytes(std::optional<int64_t> bytes) {
    const int64_t count = bytes.value_or(0);
    return FormatByteCount(count > 0 ? static_cast<uint64_t>(count) : 0, true, true);
}

std::string FormatHistoryCharge(std::optional<int64_t> charge) {
    return charge ? FormatCharge(*charge) : std::string(kNoCharge);
}

HistoryCells HistoryRowCells(const HistoryRow& row) {
    const auto optional = [](const auto& value) {
        return value ? std::optional<int64_t>(*value) : std::nullopt;
    };
    return {row.entry,
            FormatHistoryDateTime(row.start),
            FormatHistoryDateTime(row.end),
            FormatHistoryDuration(row.duration),
            FormatHistoryBytes(row.sent),
            FormatHistoryBytes(row.recv),
            FormatHistoryBytes(row.leftFree),
            FormatHistoryBytes(row.leftLimit),
            FormatHistoryCharge(optional(row.charge))};
}

int CodePageLength(std::string_view utf8) {
    int length = 0;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            ++length;
            ++i;
            continue;
        }
        const size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        uint32_t code = lead & (size == 4 ? 0x07 : size == 3 ? 0x0F : 0x1F);
        for (size_t k = 1; k < size && i + k < utf8.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        const bool single = code == 0xA5 || (code >= 0xFF61 && code <= 0xFF9F);
        length += single ? 1 : 2;
        i += size;
    }
    return length;
}

int64_t HistoryRankKey(int column, std::string_view text) {
    if (column == kColEntry) return 0;
    // Lengths stay far below this, so the unit outranks any length.
    constexpr int64_t kKilobytes = int64_t{1} << 32;
    if (IsByteColumn(column) && EndsWith(text, "kBytes")) return kKilobytes + CodePageLength(text);
    if (column == kColCharge && text == kNoCharge) return -1;
    return CodePageLength(text);
}

}  // namespace vr31k
