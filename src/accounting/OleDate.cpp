#include "accounting/OleDate.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace vr31k {

namespace {

constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

// Calendar arithmetic of the proleptic Gregorian calendar, from the standard library.
int64_t DaysFromCivil(int y, int m, int d) {
    using namespace std::chrono;
    const sys_days date{year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)}};
    return date.time_since_epoch().count();
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    using namespace std::chrono;
    const year_month_day date{sys_days{days{z}}};
    y = static_cast<int>(date.year());
    m = static_cast<int>(static_cast<unsigned>(date.month()));
    d = static_cast<int>(static_cast<unsigned>(date.day()));
}

const int64_t kOleEpochDays = DaysFromCivil(1899, 12, 30);

bool ReadDigits(std::string_view text, size_t pos, size_t count, int& value) {
    value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) return 0;
    const std::chrono::year_month_day_last last{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                                   std::chrono::last};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

bool DateExists(int year, int month, int day) {
    return year >= kMinYear && year <= kMaxYear && day >= 1 && day <= DaysInMonth(year, month);
}

OleDate MakeOleDate(int year, int month, int day, int hour, int minute, int second) {
    if (!DateExists(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 59) {
        return OleDate::Invalid();
    }
    const int64_t days = DaysFromCivil(year, month, day) - kOleEpochDays;
    const double fraction = (hour * 3600 + minute * 60 + second) / kSecondsPerDay;
    // Before the epoch the fraction still counts forward from the day's midnight.
    return {days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction,
            OleDate::Status::Valid};
}

bool SplitOleDate(OleDate date, DateParts& parts) {
    if (!date.IsValid() || !std::isfinite(date.value)) return false;
    const double whole = std::trunc(date.value);
    if (std::fabs(whole) > 3.0e6) return false;
    int64_t days = static_cast<int64_t>(whole);
    int64_t seconds = std::llround(std::fabs(date.value - whole) * kSecondsPerDay);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++days;
    }
    CivilFromDays(days + kOleEpochDays, parts.year, parts.month, parts.day);
    if (parts.year < kMinYear || parts.year > kMaxYear) return false;
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    return true;
}

OleDate OleFromTime(time_t t) {
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr) return OleDate::Invalid();
    return MakeOleDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                       local.tm_sec > 59 ? 59 : local.tm_sec);
}

std::optional<time_t> OleToTime(OleDate date) {
    DateParts p;
    if (!SplitOleDate(date, p)) return std::nullopt;
    struct tm local {};
    local.tm_year = p.year - 1900;
    local.tm_mon = p.month - 1;
    local.tm_mday = p.day;
    local.tm_hour = p.hour;
    local.tm_min = p.minute;
    local.tm_sec = p.second;
    local.tm_isdst = -1;  // let the zone's rules decide
    local.tm_wday = -1;   // mktime sets it on success; -1 is also a valid time_t
    const time_t t = mktime(&local);
    if (local.tm_wday < 0) return std::nullopt;
    return t;
}

OleDate OleNow() { return OleFromTime(time(nullptr)); }

OleDate OleMinusSeconds(OleDate date, int64_t seconds) {
    const auto t = OleToTime(date);
    if (!t) return OleDate::Invalid();
    return OleFromTime(*t - static_cast<time_t>(seconds));
}

std::string FormatOleDay(OleDate date) {
    DateParts p;
    if (!SplitOleDate(date, p)) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", p.year, p.month, p.day);
    return text;
}

std::string FormatOleDateTime(OleDate date) {
    DateParts p;
    if (!SplitOleDate(date, p)) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    return text;
}

std::optional<OleDate> ParseOleDay(std::string_view text) {
    int y = 0, m = 0, d = 0;
    if (text.size() != 10 || text[4] != '/' || text[7] != '/' || !ReadDigits(text, 0, 4, y) ||
        !ReadDigits(text, 5, 2, m) || !ReadDigits(text, 8, 2, d)) {
        return std::nullopt;
    }
    const OleDate date = MakeOleDate(y, m, d);
    if (!date.IsValid()) return std::nullopt;
    return date;
}

std::optional<OleDate> ParseOleDateTime(std::string_view text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (text.size() != 19 || text[4] != '/' || text[7] != '/' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':' || !ReadDigits(text, 0, 4, y) || !ReadDigits(text, 5, 2, mo) ||
        !ReadDigits(text, 8, 2, d) || !ReadDigits(text, 11, 2, h) || !ReadDigits(text, 14, 2, mi) ||
        !ReadDigits(text, 17, 2, s)) {
        return std::nullopt;
    }
    const OleDate date = MakeOleDate(y, mo, d, h, mi, s);
    if (!date.IsValid()) return std::nullopt;
    return date;
}

}  // namespace vr31k
