#include "date_time_text.h"

#include <algorithm>
#include <array>
#include <vector>

#include "tarnix/text_case.h"

namespace tarnix {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

bool IsLeapYear(std::int32_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::int32_t DaysInMonth(std::int32_t year, std::int32_t month) {
    static constexpr std::array<std::int32_t, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// Two-digit years as POSIX %y takes them: 69 to 99 are 1969 to 1999, 00 to 68 are 2000 to 2068.
std::int32_t FullYear(std::int32_t shortYear) {
    return shortYear < 69 ? 2000 + shortYear : 1900 + shortYear;
}

std::size_t CountDigits(std::string_view text, std::size_t at = 0) {
    std::size_t end = at;
    while (end < text.size() && IsDigit(text[end])) ++end;
    return end - at;
}

std::int64_t DigitsValue(std::string_view digits) {
    std::int64_t value = 0;
    for (const char c : digits) value = value * 10 + (c - '0');
    return value;
}

// A run of `min` to `max` digits at `at`; moves `at` past it.
std::optional<std::int32_t> TakeNumber(std::string_view text, std::size_t& at, std::size_t min,
                                       std::size_t max) {
    std::size_t count = 0;
    std::int32_t value = 0;
    for (; at + count < text.size() && count <= max && IsDigit(text[at + count]); ++count) {
        value = value * 10 + (text[at + count] - '0');
    }
    if (count < min || count > max) return std::nullopt;
    at += count;
    return value;
}

std::optional<std::int32_t> MinuteOf(std::int64_t hours, std::int64_t minutes, std::int64_t seconds) {
    if (hours > 23 || minutes > 59 || seconds > 59) return std::nullopt;
    return static_cast<std::int32_t>(hours * 60 + minutes);
}

std::optional<CivilDate> RealDate(std::int32_t year, std::int32_t month, std::int32_t day) {
    const CivilDate date{year, month, day};
    if (!IsRealDate(date)) return std::nullopt;
    return date;
}

// YYYYMMDD at the start of `digits`, which holds at least eight digits.
std::optional<CivilDate> CompactDate(std::string_view digits) {
    return RealDate(static_cast<std::int32_t>(DigitsValue(digits.substr(0, 4))),
                    static_cast<std::int32_t>(DigitsValue(digits.substr(4, 2))),
                    static_cast<std::int32_t>(DigitsValue(digits.substr(6, 2))));
}

// A fraction of seconds after `at`, if any: a mark and digits.
void SkipFraction(std::string_view text, std::size_t& at) {
    if (at < text.size() && (text[at] == '.' || text[at] == ',') && CountDigits(text, at + 1) > 0)
        at += 1 + CountDigits(text, at + 1);
}

void SkipBlanks(std::string_view text, std::size_t& at) {
    while (at < text.size() && IsBlank(text[at])) ++at;
}

// Whether `c` parts hours from minutes (and minutes from seconds) as `mark` does; "h" in either case.
bool IsTimeMark(char c, char mark) {
    return c == mark || (mark == 'h' && c == 'H');
}

// H:MM, HH:MM or HH:MM:SS with an optional fraction at `at`, or the same with another mark between the
// parts; moves `at` past it.
std::optional<std::int32_t> TakeSeparatedTime(std::string_view text, std::size_t& at, char mark = ':') {
    // The usual HH:MM:SS of a whole field, quickly.
    if (at == 0 && text.size() == 8 && text[2] == ':' && text[5] == ':' &&
        std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c) || c == ':'; })) {
        const auto pair = [&](std::size_t i) { return (text[i] - '0') * 10 + (text[i + 1] - '0'); };
        at = 8;
        return MinuteOf(pair(0), pair(3), pair(6));
    }
    const auto hours = TakeNumber(text, at, 1, 2);
    if (!hours || at >= text.size() || !IsTimeMark(text[at], mark)) return std::nullopt;
    ++at;
    const auto minutes = TakeNumber(text, at, 2, 2);
    if (!minutes) return std::nullopt;
    std::int32_t seconds = 0;
    if (at < text.size() && IsTimeMark(text[at], mark)) {
        ++at;
        const auto taken = TakeNumber(text, at, 2, 2);
        if (!taken) return std::nullopt;
        seconds = *taken;
        if (mark == ':') SkipFraction(text, at);
    }
    return MinuteOf(*hours, *minutes, seconds);
}

// Where "AM" or "PM" ends `text`, the blanks before it included; the size of the text without one.
std::size_t MeridiemStart(std::string_view text) {
    if (text.size() < 3 || AsciiUpper(text.back()) != 'M') return text.size();
    const char half = AsciiUpper(text[text.size() - 2]);
    if (half != 'A' && half != 'P') return text.size();
    std::size_t start = text.size() - 2;
    while (start > 0 && IsBlank(text[start - 1])) --start;
    return start;
}

// Whether "AM" or "PM" (either case) follows `at`, after blanks.
bool IsMeridiemAt(std::string_view text, std::size_t at) {
    SkipBlanks(text, at);
    if (at + 2 > text.size() || AsciiUpper(text[at + 1]) != 'M') return false;
    const char half = AsciiUpper(text[at]);
    return half == 'A' || half == 'P';
}

// The minute of the day of a twelve-hour time `minute` with the AM or PM after `at`; moves `at` past it.
// 12:05 AM is five past midnight, 12:05 PM five past noon. Out of line: the times of most files have none.
[[gnu::noinline]] std::optional<std::int32_t> TakeMeridiem(std::string_view text, std::size_t& at,
                                                           std::int32_t minute) {
    const std::int32_t hour = minute / 60;
    if (!IsMeridiemAt(text, at) || hour < 1 || hour > 12) return std::nullopt;
    SkipBlanks(text, at);
    const bool afternoon = AsciiUpper(text[at]) == 'P';
    at += 2;
    constexpr std::int32_t kNoon = 12 * 60;
    if (hour == 12) minute -= kNoon;
    return afternoon ? minute + kNoon : minute;
}

// The time text after the date of a date-time: a blank or "T" must part them.
std::optional<std::string_view> TimeTextAfterDate(std::string_view rest) {
    if (rest.empty() || (!IsBlank(rest.front()) && rest.front() != 'T')) return std::nullopt;
    std::size_t at = rest.front() == 'T' ? 1 : 0;
    SkipBlanks(rest, at);
    return rest.substr(at);
}

// Digits read as one integer, HHMMSS with `seconds` and HHMM without; moves `at` past them.
std::optional<std::int32_t> TakeDigitTime(std::string_view text, std::size_t& at, bool seconds) {
    const std::size_t count = CountDigits(text, at);
    if (count == 0 || count > (seconds ? 6u : 4u)) return std::nullopt;
    const std::int64_t value = DigitsValue(text.substr(at, count));
    at += count;
    if (!seconds) return MinuteOf(value / 100, value % 100, 0);
    SkipFraction(text, at);
    return MinuteOf(value / 10000, value / 100 % 100, value % 100);
}

// An offset from UTC such as +02:00, -0500 or +2 at `at`, the sign included.
bool TakeOffset(std::string_view text, std::size_t& at) {
    if (at >= text.size() || (text[at] != '+' && text[at] != '-')) return false;
    ++at;
    if (!TakeNumber(text, at, 1, 4)) return false;
    if (at < text.size() && text[at] == ':') {
        ++at;
        return TakeNumber(text, at, 2, 2).has_value();
    }
    return true;
}

// What may follow the time of a date-time: Z, UTC, GMT or an offset, with or without a blank before.
bool IsZone(std::string_view text) {
    std::size_t at = 0;
    SkipBlanks(text, at);
    if (at == text.size()) return true;
    const std::string_view rest = text.substr(at);
    if (EqualsIgnoringAsciiCase(rest, "Z")) return true;
    for (const std::string_view name : {"UTC", "GMT"}) {
        if (rest.size() >= name.size() && EqualsIgnoringAsciiCase(rest.substr(0, name.size()), name)) {
            at += name.size();
            break;
        }
    }
    if (at == text.size()) return true;
    return TakeOffset(text, at) && at == text.size();
}

// The month of an English month name or its first three letters, or nothing.
std::optional<std::int32_t> MonthOfName(std::string_view word) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "january", "february", "march",     "april",   "may",      "june",
        "july",    "august",   "september", "october", "november", "december"};
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        const bool abbreviated = word.size() == 3 || (word.size() == 4 && i == 8);  // "Sept" too
        const std::string_view expected = abbreviated ? kMonths[i].substr(0, word.size()) : kMonths[i];
        if (EqualsIgnoringAsciiCase(word, expected)) return static_cast<std::int32_t>(i + 1);
    }
    return std::nullopt;
}

// "Jan 31, 2024" or "January 31 2024" at the start of `text`; moves `at` past it.
std::optional<CivilDate> TakeMonthNameDate(std::string_view text, std::size_t& at) {
    std::size_t end = 0;
    while (end < text.size() && IsAsciiLetter(text[end])) ++end;
    const auto month = MonthOfName(text.substr(0, end));
    at = end;
    if (!month) return std::nullopt;
    if (at < text.size() && text[at] == '.') ++at;
    SkipBlanks(text, at);
    const auto day = TakeNumber(text, at, 1, 2);
    if (!day) return std::nullopt;
    if (at < text.size() && text[at] == ',') ++at;
    const std::size_t yearStart = at;
    SkipBlanks(text, at);
    if (at == yearStart && (yearStart == 0 || text[yearStart - 1] != ',')) return std::nullopt;
    const auto year = TakeNumber(text, at, 4, 4);
    if (!year) return std::nullopt;
    return RealDate(*year, *month, *day);
}

// "31-Jan-24" or "31-JAN-2024" at the start of `text`, by the form's year; moves `at` past it.
std::optional<CivilDate> TakeDayMonthNameDate(std::string_view text, std::size_t& at, const DateForm& form) {
    const auto day = TakeNumber(text, at, 1, 2);
    if (!day || at >= text.size() || text[at] != '-') return std::nullopt;
    const std::size_t monthStart = ++at;
    while (at < text.size() && IsAsciiLetter(text[at])) ++at;
    const auto month = MonthOfName(text.substr(monthStart, at - monthStart));
    if (!month || at >= text.size() || text[at] != '-') return std::nullopt;
    ++at;
    const std::size_t yearDigits = form.shortYear ? 2 : 4;
    const auto year = TakeNumber(text, at, yearDigits, yearDigits);
    if (!year) return std::nullopt;
    return RealDate(form.shortYear ? FullYear(*year) : *year, *month, *day);
}

// Three parts between separators, in the form's order.
std::optional<CivilDate> TakeSeparatedDate(std::string_view text, std::size_t& at, const DateForm& form) {
    const std::size_t yearDigits = form.shortYear ? 2 : 4;
    std::array<std::int32_t, 3> parts{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool isYear = i == (form.order == DateOrder::kYearMonthDay ? 0u : 2u);
        const auto part = isYear ? TakeNumber(text, at, yearDigits, yearDigits) : TakeNumber(text, at, 1, 2);
        if (!part) return std::nullopt;
        parts[i] = *part;
        if (i < 2) {
            if (at >= text.size() || text[at] != form.separator) return std::nullopt;
            ++at;
        }
    }
    const auto [a, b, c] = parts;
    switch (form.order) {
        case DateOrder::kDayMonthYear:
            return RealDate(form.shortYear ? FullYear(c) : c, b, a);
        case DateOrder::kMonthDayYear:
            return RealDate(form.shortYear ? FullYear(c) : c, a, b);
        default:
            return RealDate(form.shortYear ? FullYear(a) : a, b, c);
    }
}

// Six digits as YYMMDD or DDMMYY.
std::optional<CivilDate> TakeSixDigitDate(std::string_view text, std::size_t& at, DateOrder order) {
    if (CountDigits(text) != 6) return std::nullopt;
    at = 6;
    const auto first = static_cast<std::int32_t>(DigitsValue(text.substr(0, 2)));
    const auto month = static_cast<std::int32_t>(DigitsValue(text.substr(2, 2)));
    const auto last = static_cast<std::int32_t>(DigitsValue(text.substr(4, 2)));
    if (order == DateOrder::kDayMonthYear) return RealDate(FullYear(last), month, first);
    return RealDate(FullYear(first), month, last);
}

std::optional<DateTime> ReadBuiltInTime(std::string_view text, DateKind kind) {
    const std::size_t count = CountDigits(text);
    if (count != text.size()) return std::nullopt;
    if (kind == DateKind::kDigits12 || kind == DateKind::kDigits14) {
        if (count != (kind == DateKind::kDigits12 ? 12u : 14u)) return std::nullopt;
        const auto date = CompactDate(text);
        const auto seconds = kind == DateKind::kDigits14 ? DigitsValue(text.substr(12, 2)) : 0;
        const auto minute =
            MinuteOf(DigitsValue(text.substr(8, 2)), DigitsValue(text.substr(10, 2)), seconds);
        if (!date || !minute) return std::nullopt;
        return DateTime{*date, *minute};
    }
    if (count != (kind == DateKind::kUnixSeconds ? 10u : 13u)) return std::nullopt;
    const std::int64_t seconds = DigitsValue(text) / (kind == DateKind::kUnixMillis ? 1000 : 1);
    const CivilDate date = DateOfDayNumber(seconds / kSecondsPerDay);
    if (!IsRealDate(date)) return std::nullopt;
    return DateTime{date, static_cast<std::int32_t>(seconds % kSecondsPerDay / 60)};
}

std::vector<DateForm> MakeDateForms() {
    std::vector<DateForm> forms;
    for (const bool withTime : {false, true}) {
        forms.push_back({DateKind::kDigits8, DateOrder::kYearMonthDay, 0, false, withTime});
        // Where both read, the nearer reading of YYMMDD and DDMMYY wins; the order here does not matter.
        forms.push_back({DateKind::kDigits6, DateOrder::kYearMonthDay, 0, false, withTime});
        forms.push_back({DateKind::kDigits6, DateOrder::kDayMonthYear, 0, false, withTime});
        for (const char separator : {'/', '.', '-'}) {
            for (const bool shortYear : {false, true}) {
                // Day first, then month first, then year first: the order that settles a tie.
                for (const DateOrder order :
                     {DateOrder::kDayMonthYear, DateOrder::kMonthDayYear, DateOrder::kYearMonthDay}) {
                    forms.push_back({DateKind::kSeparated, order, separator, shortYear, withTime});
                }
            }
        }
        forms.push_back({DateKind::kMonthName, DateOrder::kMonthDayYear, 0, false, withTime});
        for (const bool shortYear : {true, false}) {
            forms.push_back({DateKind::kDayMonthName, DateOrder::kDayMonthYear, '-', shortYear, withTime});
        }
    }
    for (const DateKind kind :
         {DateKind::kDigits12, DateKind::kDigits14, DateKind::kUnixSeconds, DateKind::kUnixMillis}) {
        forms.push_back({kind, DateOrder::kYearMonthDay, 0, false, false});
    }
    return forms;
}

}  // namespace

bool IsRealDate(CivilDate date) {
    return date.year >= 1 && date.year <= 9999 && date.month >= 1 && date.month <= 12 && date.day >= 1 &&
           date.day <= DaysInMonth(date.year, date.month);
}

// The day counts of the proleptic Gregorian calendar in eras of 400 years (H. Hinnant's algorithms).
std::int64_t DayNumber(CivilDate date) {
    const std::int64_t year = date.year - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CivilDate DateOfDayNumber(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const std::int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {static_cast<std::int32_t>(year), static_cast<std::int32_t>(month),
            static_cast<std::int32_t>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1)};
}

char* WriteCompactDate(char* out, CivilDate date) {
    std::int32_t value = date.year * 10000 + date.month * 100 + date.day;
    for (int i = 7; i >= 0; --i, value /= 10) out[i] = static_cast<char>('0' + value % 10);
    return out + 8;
}

std::string DateForm::Name() const {
    std::string name;
    switch (kind) {
        case DateKind::kDigits8:
            name = "YYYYMMDD";
            break;
        case DateKind::kDigits6:
            name = order == DateOrder::kDayMonthYear ? "DDMMYY" : "YYMMDD";
            break;
        case DateKind::kSeparated: {
            const std::string year = shortYear ? "YY" : "YYYY";
            const std::string sep(1, separator);
            if (order == DateOrder::kDayMonthYear) name = "DD" + sep + "MM" + sep + year;
            if (order == DateOrder::kMonthDayYear) name = "MM" + sep + "DD" + sep + year;
            if (order == DateOrder::kYearMonthDay) name = year + sep + "MM" + sep + "DD";
            break;
        }
        case DateKind::kMonthName:
            name = "Mon DD, YYYY";
            break;
        case DateKind::kDayMonthName:
            name = shortYear ? "DD-Mon-YY" : "DD-Mon-YYYY";
            break;
        case DateKind::kDigits12:
            return "YYYYMMDDHHMM";
        case DateKind::kDigits14:
            return "YYYYMMDDHHMMSS";
        case DateKind::kUnixSeconds:
            return "Unix seconds";
        case DateKind::kUnixMillis:
            return "Unix milliseconds";
    }
    return name;
}

std::span<const DateForm> DateForms() {
    static const std::vector<DateForm> kForms = MakeDateForms();
    return kForms;
}

std::string TimeForm::Name() const {
    if (!separated) return seconds ? "HHMMSS" : "HHMM";
    const std::string between(1, mark);
    std::string name = (twelveHour ? "H" : "HH") + between + "MM";
    if (seconds) name += between + "SS";
    return twelveHour ? name + " AM/PM" : name;
}

std::optional<std::string_view> ReadDatePart(std::string_view text, const DateForm& form, CivilDate& date) {
    std::size_t at = 0;
    std::optional<CivilDate> read;
    switch (form.kind) {
        case DateKind::kDigits8:
            if (CountDigits(text) == 8) {
                read = CompactDate(text);
                at = 8;
            }
            break;
        case DateKind::kDigits6:
            read = TakeSixDigitDate(text, at, form.order);
            break;
        case DateKind::kSeparated:
            read = TakeSeparatedDate(text, at, form);
            break;
        case DateKind::kMonthName:
            read = TakeMonthNameDate(text, at);
            break;
        case DateKind::kDayMonthName:
            read = TakeDayMonthNameDate(text, at, form);
            break;
        default:
            break;
    }
    if (!read || (at < text.size() && IsDigit(text[at]))) return std::nullopt;
    date = *read;
    return text.substr(at);
}

std::optional<DateTime> ReadDateTime(std::string_view text, const DateForm& form) {
    if (form.HasBuiltInTime()) return ReadBuiltInTime(text, form.kind);
    DateTime value;
    const auto rest = ReadDatePart(text, form, value.date);
    if (!rest) return std::nullopt;
    if (!form.withTime) {
        if (!rest->empty()) return std::nullopt;
        return value;
    }
    const auto time = TimeTextAfterDate(*rest);
    const auto minute = time ? ReadTimeOfDateTime(*time) : std::nullopt;
    if (!minute) return std::nullopt;
    value.minute = *minute;
    return value;
}

std::size_t DateTextEnd(std::string_view text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (IsBlank(text[at]) || (text[at] == 'T' && at > 0 && IsDigit(text[at - 1]))) return at;
    }
    return std::string_view::npos;
}

std::optional<std::string_view> TimeTextOf(std::string_view text, const DateForm& form) {
    CivilDate date;
    const auto rest = ReadDatePart(text, form, date);
    if (!rest) return std::nullopt;
    return TimeTextAfterDate(*rest);
}

std::optional<std::int32_t> ReadTimeOfDateTime(std::string_view text) {
    std::size_t at = 0;
    std::optional<std::int32_t> minute;
    if (const std::size_t digits = CountDigits(text); digits < text.size() && text[digits] == ':') {
        minute = TakeSeparatedTime(text, at);
        if (minute && IsMeridiemAt(text, at)) minute = TakeMeridiem(text, at, *minute);
    } else if (digits >= 3) {
        minute = TakeDigitTime(text, at, digits >= 5);
    }
    if (!minute || !IsZone(text.substr(at))) return std::nullopt;
    return minute;
}

std::optional<std::int32_t> ReadTime(std::string_view text, TimeForm form) {
    std::size_t at = 0;
    auto minute =
        form.separated ? TakeSeparatedTime(text, at, form.mark) : TakeDigitTime(text, at, form.seconds);
    if (minute && form.twelveHour) minute = TakeMeridiem(text, at, *minute);
    if (at != text.size()) return std::nullopt;
    return minute;
}

// A text's shape: its mark between hours and minutes (0 for digits), and whether it has seconds; mixed for a
// text of no time shape.
void TimeFormFinder::Add(std::string_view text) {
    const std::size_t meridiem = MeridiemStart(text);
    anyTwelveHour_ = anyTwelveHour_ || meridiem < text.size();
    text = text.substr(0, meridiem);
    const std::size_t digits = CountDigits(text);
    char mark = 0;
    if (text.find(':') != std::string_view::npos) {
        mark = ':';
    } else if (digits >= 1 && digits <= 2 && digits < text.size() &&
               (text[digits] == '.' || IsTimeMark(text[digits], 'h'))) {
        mark = text[digits] == '.' ? '.' : 'h';
    } else if (digits == 0 || digits > 6) {
        mixed_ = true;
    }
    const auto marks = std::count_if(text.begin(), text.end(), [&](char c) { return IsTimeMark(c, mark); });
    anySeconds_ = anySeconds_ || (mark != 0 ? marks >= 2 : digits >= 5);
    if (!mark_) mark_ = mark;
    mixed_ = mixed_ || *mark_ != mark;
}

std::optional<TimeForm> TimeFormFinder::Form() const {
    if (!mark_ || mixed_) return std::nullopt;
    const char mark = *mark_;
    if (mark != ':' && mark != 0 && !named_) return std::nullopt;
    return TimeForm{mark != 0, anySeconds_, mark != 0 ? mark : ':', anyTwelveHour_};
}

}  // namespace tarnix
