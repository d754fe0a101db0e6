#include "accounting/HistoryCsv.h"

#include "accounting/HistoryRowRules.h"
#include "common/Utf8.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vr31k {

namespace {

constexpr size_t kFieldCount = 9;

void AppendField(std::string& line, std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) {
        line += text;
        return;
    }
    line += '"';
    for (char c : text) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

void AppendNumber(std::string& line, const std::optional<int64_t>& value) {
    if (value) line += std::to_string(*value);
}

// Splits one line into fields; false on a quote that is not closed or stray text
// after a closing quote.
bool SplitLine(std::string_view line, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    size_t i = 0;
    for (;;) {
        field.clear();
        if (i < line.size() && line[i] == '"') {
            ++i;
            for (;;) {
                if (i >= line.size()) return false;
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            if (i < line.size() && line[i] != ',') return false;
        } else {
            while (i < line.size() && line[i] != ',') {
                if (line[i] == '"') return false;
                field += line[i++];
            }
        }
        fields.push_back(field);
        if (i >= line.size()) return true;
        ++i;  // the comma
    }
}

bool ReadInteger(const std::string& text, int64_t max, int64_t& value) {
    if (text.empty() || text.front() == '+' || text.front() == '-') return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value <= max;
}

bool ReadOptional(const std::string& text, int64_t max, std::optional<int64_t>& value) {
    if (text.empty()) {
        value.reset();
        return true;
    }
    int64_t v = 0;
    if (!ReadInteger(text, max, v)) return false;
    value = v;
    return true;
}

// Checks one row's fields; an empty result when they are fine, else what is wrong.
std::string ReadRow(const std::vector<std::string>& f, OleDate now, HistoryRow& row) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    if (f.size() != kFieldCount) return std::to_string(f.size()) + " fields, not 9";
    row.entry = f[0];
    const auto start = ParseOleDateTime(f[1]);
    const auto end = ParseOleDateTime(f[2]);
    if (!start) return "start is not a date-time YYYY/MM/DD HH:MM:SS: '" + f[1] + "'";
    if (!end) return "end is not a date-time YYYY/MM/DD HH:MM:SS: '" + f[2] + "'";
    if (start->value > end->value) return "start is later than end";
    row.start = *start;
    row.end = *end;
    int64_t seconds = 0;
    if (!ReadInteger(f[3], kMax / 1000, seconds)) return "duration_s is not a whole number of seconds: '" + f[3] + "'";
    row.duration = static_cast<double>(seconds) / kSecondsPerDay;
    if (!ReadInteger(f[4], kMax, row.sent)) return "sent is not a byte count: '" + f[4] + "'";
    if (!ReadInteger(f[5], kMax, row.recv)) return "recv is not a byte count: '" + f[5] + "'";
    if (!ReadOptional(f[6], kMax, row.leftFree)) return "left_free is not a byte count: '" + f[6] + "'";
    if (!ReadOptional(f[7], kMax, row.leftLimit)) return "left_limit is not a byte count: '" + f[7] + "'";
    std::optional<int64_t> charge;
    if (!ReadOptional(f[8], std::numeric_limits<int32_t>::max(), charge)) {
        return "charge is not a yen amount: '" + f[8] + "'";
    }
    row.charge = charge;
    // The rules a recorded row meets too.
    return HistoryRowProblem(row, now);
}

}  // namespace

std::optional<int64_t> DurationSeconds(double dayFraction) {
    const double seconds = std::round(dayFraction * kSecondsPerDay);
    constexpr double kTwoToThe63 = 9223372036854775808.0;
    if (!(seconds >= -kTwoToThe63 && seconds < kTwoToThe63)) return std::nullopt;
    return static_cast<int64_t>(seconds);
}

std::string DurationSecondsText(double dayFraction) {
    if (const auto seconds = DurationSeconds(dayFraction)) return std::to_string(*seconds);
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, dayFraction * kSecondsPerDay);
    return std::string(text, ec == std::errc() ? end : text);
}

std::string FormatHistoryCsvLine(const HistoryRow& row) {
    std::string line;
    AppendField(line, ToValidUtf8(row.entry));
    line += ',';
    line += FormatOleDateTime(row.start);
    line += ',';
    line += FormatOleDateTime(row.end);
    line += ',';
    line += DurationSecondsText(row.duration);
    line += ',';
    line += std::to_string(row.sent);
    line += ',';
    line += std::to_string(row.recv);
    line += ',';
    AppendNumber(line, row.leftFree);
    line += ',';
    AppendNumber(line, row.leftLimit);
    line += ',';
    AppendNumber(line, row.charge);
    return line;
}

int WriteHistoryCsv(const CDbHistoryCtrl& history, std::string& text) {
    text = std::string(kHistoryCsvHeader) + "\n";
    return history.ForEachRow([&text](const HistoryRow& row) {
        text += FormatHistoryCsvLine(row);
        text += '\n';
        return true;
    });
}

CsvImport ParseHistoryCsv(std::string_view text, OleDate now) {
    CsvImport result;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a spreadsheet's UTF-8 mark
    std::vector<std::string> fields;
    bool headerSeen = false;
    int number = 0;
    while (!text.empty()) {
        const size_t cut = text.find('\n');
        std::string_view line = text.substr(0, cut);
        text = cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        const auto fail = [&](std::string what) {
            result.rows.clear();
            result.errorLine = number;
            result.error = std::move(what);
            return result;
        };
        if (!headerSeen) {
            if (line != kHistoryCsvHeader) return fail(std::string("the first line must be the header ") + kHistoryCsvHeader);
            headerSeen = true;
            continue;
        }
        if (!SplitLine(line, fields)) return fail("a quoted field is not closed properly");
        HistoryRow row;
        if (std::string what = ReadRow(fields, now, row); !what.empty()) return fail(std::move(what));
        result.rows.push_back(std::move(row));
    }
    if (!headerSeen) {
        result.errorLine = 1;
        result.error = std::string("the first line must be the header ") + kHistoryCsvHeader;
    }
    return result;
}

}  // namespace vr31k
