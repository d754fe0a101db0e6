#pragma once
// Local date-times as OLE automation dates: days since 1899-12-30 00:00 as a double,
// the time of day as the fraction. The value is the local wall clock, so stored rows
// read the same whatever the offset was; anything that moves by real seconds (now, a
// connection's start from its end and duration) goes through the time zone rules.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace vr31k {

struct OleDate {
    enum class Status { Valid, Invalid, Null };
    double value = 0.0;
    Status status = Status::Valid;

    bool IsValid() const { return status == Status::Valid; }
    static OleDate Null() { return {0.0, Status::Null}; }
    static OleDate Invalid() { return {0.0, Status::Invalid}; }
};

struct DateParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

inline constexpr double kSecondsPerDay = 86400.0;
// The last second of a day as a day fraction: 23/24 + 59/1440 + 59/86400.
inline constexpr double kLastSecondOfDay = 86399.0 / kSecondsPerDay;

int DaysInMonth(int year, int month);
// A calendar date the OLE range holds (years 100 to 9999).
bool DateExists(int year, int month, int day);

// Invalid when a field is out of range (no normalisation: 2008/02/30 is invalid).
OleDate MakeOleDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// Nearest whole second. False for a date that is not valid or out of range.
bool SplitOleDate(OleDate date, DateParts& parts);

// The local wall clock at `t`, and back (a time skipped by a clock change maps forward).
OleDate OleFromTime(time_t t);
std::optional<time_t> OleToTime(OleDate date);
OleDate OleNow();
// `date` moved back by real seconds: across a clock change the wall clock moves by more
// or less than the seconds.
OleDate OleMinusSeconds(OleDate date, int64_t seconds);

// "YYYY/MM/DD" and "YYYY/MM/DD HH:MM:SS"; empty for a date that is not valid.
std::string FormatOleDay(OleDate date);
std::string FormatOleDateTime(OleDate date);
// The two forms above exactly (fixed widths); nullopt for anything else or a date that
// does not exist.
std::optional<OleDate> ParseOleDay(std::string_view text);
std::optional<OleDate> ParseOleDateTime(std::string_view text);

}  // namespace vr31k
