#include "quote_layout.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

#include "core/conversion_error.h"
#include "core/reading/byte_words.h"
#include "core/reading/number_syntax.h"
#include "tarnix/text_case.h"

namespace tarnix {

// A text in quotes, cut short when longer than a person reads in a log line (a line of binary junk may run
// for megabytes); the cut falls between UTF-8 characters.
std::string QuotedText(std::string_view text) {
    constexpr std::size_t kLongest = 64;
    if (text.size() <= kLongest) return "'" + std::string(text) + "'";
    std::size_t cut = kLongest;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return "'" + std::string(text.substr(0, cut)) + "...'";
}

namespace {

[[noreturn]] void ThrowUnread(std::string_view text, std::string_view what) {
    throw ConversionError(QuotedText(text) + " is not a valid " + std::string(what));
}

// The length of a digit-grouping character at `at`: a blank, a no-break space (Windows-1251 or UTF-8) or a
// thin space; 0 for any other character.
std::size_t GroupingBlankLength(std::string_view text, std::size_t at) {
    const std::string_view rest = text.substr(at);
    if (rest[0] == ' ' || rest[0] == '\xA0') return 1;
    if (rest.starts_with("\xC2\xA0")) return 2;
    if (rest.starts_with("\xE2\x80\x89") || rest.starts_with("\xE2\x80\xAF")) return 3;
    return 0;
}

// The text without its digit grouping, or nothing when a group mark is not followed by exactly three digits
// (1,5 in a file with the decimal mark "." is a mistake, not fifteen).
std::optional<std::string> WithoutGrouping(std::string_view text, char mark) {
    const char otherMark = mark == ',' ? '.' : ',';
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = text[at] == otherMark ? 1 : GroupingBlankLength(text, at);
        if (length == 0) {
            plain.push_back(text[at++]);
            continue;
        }
        at += length;
        std::size_t digits = 0;
        while (at + digits < text.size() && IsDigit(text[at + digits])) ++digits;
        if (digits != 3 || plain.empty() || !IsDigit(plain.back())) return std::nullopt;
    }
    return plain;
}

// The price text without a currency sign ($, €, £, ¥, ₽) before or after it, with or without a blank
// between.
std::string_view WithoutCurrencySign(std::string_view text) {
    static constexpr std::array<std::string_view, 5> kSigns = {"$", "\xE2\x82\xAC", "\xC2\xA3", "\xC2\xA5",
                                                               "\xE2\x82\xBD"};
    for (const std::string_view sign : kSigns) {
        if (text.starts_with(sign)) return TrimBlanks(text.substr(sign.size()));
        if (text.ends_with(sign)) return TrimBlanks(text.substr(0, text.size() - sign.size()));
    }
    return text;
}

// A price that is not a plain decimal: grouped, with a currency sign, or in the float syntax. Out of line, so
// that the plain price of nearly every field pays nothing for it.
[[gnu::noinline]] std::optional<float> ReadUnusualPrice(std::string_view text, char mark) {
    text = WithoutCurrencySign(text);
    const auto plain = WithoutGrouping(text, mark);
    if (!plain || plain->empty()) return std::nullopt;
    return TryParseFloat(*plain, mark);
}

// A decimal volume, perhaps with a K, M or B suffix, as a whole number.
std::optional<std::int64_t> ReadScaledVolume(std::string_view text, char mark) {
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    std::size_t scale = 0;
    if (!text.empty()) {
        const char suffix = AsciiUpper(text.back());
        scale = suffix == 'K' ? 3 : suffix == 'M' ? 6 : suffix == 'B' ? 9 : 0;
        if (scale > 0) text.remove_suffix(1);
    }
    const std::size_t markAt = text.find(mark);
    const std::string_view whole = text.substr(0, markAt);
    const std::string_view fraction = markAt == std::string_view::npos ? "" : text.substr(markAt + 1);
    const auto allDigits = [](std::string_view t) { return std::all_of(t.begin(), t.end(), IsDigit); };
    if (whole.empty() || !allDigits(whole) || !allDigits(fraction)) return std::nullopt;
    std::uint64_t value = 0;
    constexpr auto kLimit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    const auto push = [&](char digit) {
        const auto d = static_cast<std::uint64_t>(digit - '0');
        if (value > (kLimit - d) / 10) return false;
        value = value * 10 + d;
        return true;
    };
    for (const char c : whole) {
        if (!push(c)) return std::nullopt;
    }
    for (std::size_t i = 0; i < scale; ++i) {
        if (!push(i < fraction.size() ? fraction[i] : '0')) return std::nullopt;
    }
    if (scale < fraction.size() && fraction[scale] >= '5') {
        if (value == kLimit) return std::nullopt;
        ++value;  // halves away from zero
    }
    return negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
}

std::string_view RoleTag(ColumnRole role, bool onePrice) {
    switch (role) {
        case ColumnRole::kTicker:
            return "<TICKER>";
        case ColumnRole::kPeriod:
            return "<PER>";
        case ColumnRole::kDate:
            return "<DATE>";
        case ColumnRole::kTime:
            return "<TIME>";
        case ColumnRole::kOpen:
            return "<OPEN>";
        case ColumnRole::kHigh:
            return "<HIGH>";
        case ColumnRole::kLow:
            return "<LOW>";
        case ColumnRole::kClose:
            return onePrice ? "<LAST>" : "<CLOSE>";
        case ColumnRole::kVolume:
            return "<VOL>";
        case ColumnRole::kIgnored:
            break;
    }
    return "-";
}

std::string ShownMark(char c) {
    return c == '\t' ? "'\\t'" : QuotedText(std::string_view(&c, 1));
}

}  // namespace

int QuoteLayout::ColumnOf(ColumnRole role) const {
    const auto found = std::find(columns.begin(), columns.end(), role);
    return found == columns.end() ? -1 : static_cast<int>(found - columns.begin());
}

std::string DescribeLayout(const QuoteLayout& layout, bool russian) {
    std::string text = russian ? "Формат: " : "Layout: ";
    text += ShownMark(layout.separator);
    for (const ColumnRole role : layout.columns) {
        text += ' ';
        text += RoleTag(role, layout.onePrice);
        if (role == ColumnRole::kDate) {
            text += ' ' + layout.dateForm.Name();
            if (layout.dateForm.withTime) text += ' ' + layout.timeForm.Name();
            text += ',';
        } else if (role == ColumnRole::kTime) {
            text += ' ' + layout.timeForm.Name() + ',';
        }
    }
    if (text.back() == ',') text.pop_back();
    text += russian ? ", десятичный знак " : ", decimal ";
    text += ShownMark(layout.decimalMark);
    if (layout.decimalMarkAssumed) text += russian ? " (предположительно)" : " (assumed)";
    return text;
}

bool IsWritableTicker(std::string_view ticker) {
    return std::none_of(ticker.begin(), ticker.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == ',' || c == '"' || byte < 0x20 || byte == 0x7F;
    });
}

std::string LineMention(std::int64_t number, bool russian) {
    return (russian ? " (строка " : " (line ") + std::to_string(number) + ")";
}

bool IsBlankLine(std::string_view line) {
    return TrimBlanks(line).empty();
}

std::string_view WithoutByteOrderMark(std::string_view line) {
    if (line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
    return line;
}

std::span<const std::string_view> FieldSplitter::Split(std::string_view line, std::size_t maxFields) {
    fields_.clear();
    unquoted_.clear();
    const char separator = separator_;  // a local: the scan's stores through char pointers may alias a member
    const char* p = line.data();
    const char* const end = p + line.size();
    while (fields_.size() < maxFields) {
        while (p != end && *p == ' ') ++p;
        if (p != end && *p == '"') {
            std::string_view rest(p, static_cast<std::size_t>(end - p));
            fields_.push_back(TakeQuoted(rest));
            p = rest.empty() ? end : rest.data();
        } else {
            const char* const start = p;
            p = FindByte(p, end, separator);
            fields_.push_back(TrimBlanks(std::string_view(start, static_cast<std::size_t>(p - start))));
        }
        if (p == end) break;
        ++p;  // the separator
    }
    return fields_;
}

// The quoted field at the start of `rest`, which moves to the separator after it (or the end). Anything
// between the closing quote and the separator is dropped.
std::string_view FieldSplitter::TakeQuoted(std::string_view& rest) {
    std::size_t close = 1;
    bool doubled = false;
    for (;; close += 2) {
        close = rest.find('"', close);
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != '"') break;
        doubled = true;
    }
    const std::size_t contentEnd = std::min(close, rest.size());
    std::string_view field = rest.substr(1, contentEnd - 1);
    if (doubled) {
        std::string& text = unquoted_.emplace_back();
        for (std::size_t i = 0; i < field.size(); ++i) {
            text.push_back(field[i]);
            if (field[i] == '"') ++i;
        }
        field = text;
    }
    const std::size_t separator = contentEnd < rest.size() ? rest.find(separator_, contentEnd) : rest.size();
    rest = separator == std::string_view::npos ? std::string_view() : rest.substr(separator);
    return TrimBlanks(field);
}

std::optional<float> ReadLayoutPrice(std::string_view text, char mark) {
    if (const auto value = PlainDecimalTextValue(text, {mark, mark})) return value;
    return ReadUnusualPrice(text, mark);
}

std::optional<std::int64_t> ReadLayoutVolume(std::string_view text, char mark) {
    if (text.empty() || (text.size() == 1 && text[0] == '-')) return 0;
    std::uint64_t digits = 0;
    const char* const end = text.data() + text.size();
    if (text.size() <= 18 && ReadDigits(text.data(), end, digits) == end)
        return static_cast<std::int64_t>(digits);
    const auto plain = WithoutGrouping(text, mark);
    if (!plain || plain->empty()) return std::nullopt;
    if (const auto integer = TryParseInteger64(*plain)) return integer;
    return ReadScaledVolume(*plain, mark);
}

LayoutLineReader::LayoutLineReader(const QuoteLayout& layout)
    : layout_(layout),
      splitter_(layout.separator),
      fieldsNeeded_(layout.columns.size()),
      ticker_(layout.ColumnOf(ColumnRole::kTicker)),
      date_(layout.ColumnOf(ColumnRole::kDate)),
      time_(layout.ColumnOf(ColumnRole::kTime)),
      open_(layout.ColumnOf(ColumnRole::kOpen)),
      high_(layout.ColumnOf(ColumnRole::kHigh)),
      low_(layout.ColumnOf(ColumnRole::kLow)),
      close_(layout.ColumnOf(ColumnRole::kClose)),
      volume_(layout.ColumnOf(ColumnRole::kVolume)) {
    if (layout.onePrice) open_ = high_ = low_ = close_;
    // Columns past the last one with a role are never split off.
    while (fieldsNeeded_ > 0 && layout.columns[fieldsNeeded_ - 1] == ColumnRole::kIgnored) --fieldsNeeded_;
}

// Every column with a role is there once the line has its fields; a column of -1 is none.
std::string_view LayoutLineReader::Field(std::span<const std::string_view> fields, int column) const {
    return column >= 0 ? fields[static_cast<std::size_t>(column)] : std::string_view();
}

bool LayoutLineReader::Read(std::string_view line, bool volumeCounting, QuoteLine& quote) {
    if (IsBlankLine(line)) return false;
    const std::span<const std::string_view> fields = splitter_.Split(line, fieldsNeeded_);
    // A line cut short, or one of another layout, lacks a column that gives the quote something.
    if (fields.size() < fieldsNeeded_) throw ConversionError(QuotedText(line) + " has too few fields");
    quote.minute = ReadDateField(Field(fields, date_));
    if (time_ >= 0) {
        const std::string_view text = Field(fields, time_);
        const auto minute = ReadTime(text, layout_.timeForm);
        if (!minute) ThrowUnread(text, "time");
        quote.minute = *minute;
    }
    const std::array<std::string_view, 4> prices = {Field(fields, open_), Field(fields, high_),
                                                    Field(fields, low_), Field(fields, close_)};
    // A day without trades, which still names its day: Yahoo writes "null" where others leave the field
    // empty.
    const auto noPrice = [](std::string_view p) { return p.empty() || EqualsIgnoringAsciiCase(p, "null"); };
    if (std::all_of(prices.begin(), prices.end(), noPrice)) return false;
    quote.date = std::string_view(dateText_, sizeof dateText_);
    quote.open = ReadPrice(prices[0]);
    quote.high = ReadPrice(prices[1]);
    quote.low = ReadPrice(prices[2]);
    quote.close = ReadPrice(prices[3]);
    quote.volume = 0;
    if (volumeCounting && volume_ >= 0) {
        const std::string_view text = Field(fields, volume_);
        const auto volume = ReadLayoutVolume(text, layout_.decimalMark);
        if (!volume) ThrowUnread(text, "integer value");
        quote.volume = *volume;
    }
    if (ticker_ >= 0) {
        const std::string_view ticker = Field(fields, ticker_);
        if (!IsWritableTicker(ticker)) ThrowUnread(ticker, "ticker");
        AssignUpperCase(quote.ticker, ticker);
    } else {
        quote.ticker = layout_.fileTicker;
    }
    return true;
}

float LayoutLineReader::ReadPrice(std::string_view text) const {
    const auto price = ReadLayoutPrice(text, layout_.decimalMark);
    if (!price) ThrowUnread(text, "floating point value");
    return *price;
}

void LayoutLineReader::SetDate(CivilDate date) {
    if (lastDate_ == date) return;
    lastDate_ = date;
    WriteCompactDate(dateText_, date);
}

// The date goes into dateText_; returns the minute of a date-time, else 0. Consecutive lines mostly share
// their date text, which is then read only once.
std::int32_t LayoutLineReader::ReadDateField(std::string_view text) {
    const DateForm& form = layout_.dateForm;
    if (form.HasBuiltInTime() || form.kind == DateKind::kMonthName) {
        const auto value = ReadDateTime(text, form);
        if (!value) ThrowUnread(text, "date");
        SetDate(value->date);
        return value->minute;
    }
    std::string_view datePart = text;
    std::string_view timePart;
    if (form.withTime) {
        const std::size_t end = DateTextEnd(text);
        if (end == std::string_view::npos) ThrowUnread(text, "date");
        datePart = text.substr(0, end);
        timePart = TrimBlanks(text.substr(end + (text[end] == 'T' ? 1 : 0)));
    }
    const bool sameText = lastDate_ && datePart.size() == lastDateText_.size() &&
                          std::memcmp(datePart.data(), lastDateText_.data(), datePart.size()) == 0;
    if (!sameText) {
        CivilDate date;
        const auto rest = ReadDatePart(datePart, form, date);
        if (!rest || !rest->empty()) ThrowUnread(text, "date");
        SetDate(date);
        lastDateText_.assign(datePart);
    }
    if (!form.withTime) return 0;
    const auto minute = ReadTimeOfDateTime(timePart);
    if (!minute) ThrowUnread(timePart, "time");
    return *minute;
}

}  // namespace tarnix
