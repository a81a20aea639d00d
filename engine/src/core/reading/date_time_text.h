#pragma once

// The dates and times of quote files in the layouts that real exports use: the forms a column writes them in
// (20240131, 31.01.2024, 01/31/24, Jan 31, 2024, 31-Jan-24, 2024-01-31T10:05:00Z, Unix time, ...) and their
// reading.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>

#include "tarnix/conversion.h"

namespace tarnix {

struct CivilDate {
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;

    bool operator==(const CivilDate&) const = default;
    bool operator<(const CivilDate& other) const {
        return std::tie(year, month, day) < std::tie(other.year, other.month, other.day);
    }
};

// A date of the Gregorian calendar with a year from 1 to 9999.
bool IsRealDate(CivilDate date);
// Days since 1970-01-01, and back.
std::int64_t DayNumber(CivilDate date);
CivilDate DateOfDayNumber(std::int64_t days);
// The date as the eight digits YYYYMMDD of a design line; `out` needs room for eight characters.
char* WriteCompactDate(char* out, CivilDate date);

enum class DateKind : std::uint8_t {
    kDigits8,       // YYYYMMDD
    kDigits6,       // YYMMDD or DDMMYY, by `order`
    kSeparated,     // three parts between "/", "." or "-", in `order`
    kMonthName,     // Jan 31, 2024
    kDayMonthName,  // 31-Jan-24 or 31-JAN-2024 (`shortYear`)
    kDigits12,      // YYYYMMDDHHMM
    kDigits14,      // YYYYMMDDHHMMSS
    kUnixSeconds,   // 10 digits, UTC
    kUnixMillis,    // 13 digits, UTC
};

// How a column writes its dates, and whether a time follows each date in the same field.
struct DateForm {
    DateKind kind = DateKind::kDigits8;
    DateOrder order = DateOrder::kYearMonthDay;
    char separator = 0;      // kSeparated only
    bool shortYear = false;  // kSeparated and kDayMonthName: two-digit years
    bool withTime = false;   // a blank or "T", a time and an optional zone follow the date

    bool operator==(const DateForm&) const = default;
    // Whether the kind carries its time within its digits (compact and Unix forms).
    bool HasBuiltInTime() const { return kind >= DateKind::kDigits12; }
    // The form as the log shows it: "DD/MM/YY", "YYYY-MM-DD HH:MM:SS", "Unix seconds", ...
    std::string Name() const;
};

// Every form a date column may have, the ambiguous ones side by side.
std::span<const DateForm> DateForms();

// Where a time is written: HH:MM(:SS) with colons, or digits, HHMMSS (also HMMSS, read as an integer) or
// HHMM (also HMM); in twelve hours, h:mm(:ss) and AM or PM, with or without a blank before it. Seconds and
// fractions of seconds are ignored.
struct TimeForm {
    bool separated = true;  // hours, minutes and seconds apart by `mark`; else digits
    bool seconds = true;
    char mark = ':';          // ':', or '.' or 'h' (10.01, 10h01) in a column a header names the time
    bool twelveHour = false;  // hours 1 to 12 and AM or PM after the time

    bool operator==(const TimeForm&) const = default;
    std::string Name() const;
};

struct DateTime {
    CivilDate date;
    std::int32_t minute = 0;  // minute of the day
};

// The date at the start of `text` in `form` (its time part aside); returns the rest of the text, or nothing
// when no real date is there.
std::optional<std::string_view> ReadDatePart(std::string_view text, const DateForm& form, CivilDate& date);
// A whole field of a date column. Without a time in the form the minute is 0.
std::optional<DateTime> ReadDateTime(std::string_view text, const DateForm& form);
// Where the date of a date-time field in digits or with a short month name ends: at its first blank, or at
// the "T" of ISO 8601 (one after a digit, not the T of OCT).
std::size_t DateTextEnd(std::string_view text);
// The time text of a date-time field in `form`, after its date and the blank or "T" between them; nothing
// when the date does not read.
std::optional<std::string_view> TimeTextOf(std::string_view text, const DateForm& form);
// The time text of a date-time field, after the date's blank or "T": any time form with colons or digits,
// by its own length, an optional AM or PM, and an optional zone (Z, UTC, GMT+0200, -05:00), which is ignored.
std::optional<std::int32_t> ReadTimeOfDateTime(std::string_view text);
// A field of a time column; the minute of the day.
std::optional<std::int32_t> ReadTime(std::string_view text, TimeForm form);
// The time form of a column, guessed from the shape of each of its texts in turn; the texts must then still
// read under it. Hours and minutes apart by "." or "h" make a form only in a column a header names the time
// (`named`): elsewhere 10.01 is a price.
class TimeFormFinder {
  public:
    explicit TimeFormFinder(bool named = false) : named_(named) {}
    void Add(std::string_view text);
    std::optional<TimeForm> Form() const;

  private:
    bool named_;
    std::optional<char> mark_;  // of the first text: ':', '.', 'h', or 0 for digits
    bool mixed_ = false;        // a text of another shape than the first, or of none
    bool anySeconds_ = false;
    bool anyTwelveHour_ = false;
};

}  // namespace tarnix
