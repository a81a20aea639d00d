#pragma once

// The two number syntaxes of quote files: integers (hours, minutes, volumes, custom interval, date pieces)
// and prices.

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "tarnix/conversion.h"  // TryParseInteger, the integer syntax

namespace tarnix {

// The integer syntax at 64 bits, for volumes: decimal values within the 64-bit signed range, hex values up
// to 16 digits taken as two's complement. Lots of cheap shares trade in billions.
std::optional<std::int64_t> TryParseInteger64(std::string_view text);

// TryParseInteger and TryParseInteger64, raising ConversionError "'<text>' is not a valid integer value"
// on failure.
std::int32_t ParseInteger(std::string_view text);
std::int64_t ParseInteger64(std::string_view text);

// Reads the decimal digits from `p` on into `digits`; returns the first character after them, or `end`. The
// value wraps beyond 19 digits, which the callers refuse.
const char* ReadDigits(const char* p, const char* end, std::uint64_t& digits);

// ParseInteger (for hours and minutes) and ParseInteger64 (for volumes) for the fields of every quote line:
// a few plain digits, as such fields nearly always are, are taken on the spot.
template <typename Int>
Int ParseIntegerField(std::string_view text) {
    const auto parse = [](std::string_view full) -> Int {
        if constexpr (sizeof(Int) == sizeof(std::int64_t)) {
            return ParseInteger64(full);
        } else {
            return ParseInteger(full);
        }
    };
    if (text.empty() || text.size() > std::numeric_limits<Int>::digits10) return parse(text);
    const char* const end = text.data() + text.size();
    std::uint64_t value = 0;
    if (ReadDigits(text.data(), end, value) != end) return parse(text);
    return static_cast<Int>(value);
}

// The float syntax with `decimalChar` as the decimal mark (and the character at `extraMarkAt`, if any),
// converted to the nearest single-precision value. Returns nothing when the text does not convert or the
// value lies beyond single precision: it overflows, or it is so small that it rounds to zero.
std::optional<float> TryParseFloat(std::string_view text, char decimalChar,
                                   std::size_t extraMarkAt = std::string_view::npos);

// The decimal separator of the user's number format, and the other one of "," and ".", which price texts may
// use as well.
struct DecimalMarks {
    char decimal = '.';
    char other = ',';

    static constexpr DecimalMarks For(char decimalChar) {
        return {decimalChar, decimalChar == ',' ? '.' : ','};
    }
};

// Digits with at most one decimal mark of either kind, such as 250.50, 0,0245 or 485.5600000: the price form
// of nearly every quote, which converts without the general float syntax.
struct PlainDecimal {
    std::uint64_t digits = 0;  // all digits on both sides of the mark, as one integer
    std::size_t integerCount = 0;
    std::size_t decimals = 0;
};

// Reads a plain decimal from `p` on; returns the first character after it, or `end`.
const char* ScanPlainDecimal(const char* p, const char* end, DecimalMarks marks, PlainDecimal& number);
// The same for a text that is known to end before a character that is neither a digit nor a decimal mark,
// such as the line end after a line: the scan needs no bound. The eight bytes after a decimal mark must be
// readable: its decimals are told from them at once, and zeros that end them (padded prices) are not read.
const char* ScanPlainDecimalToStop(const char* p, DecimalMarks marks, PlainDecimal& number);
// ReadDigits for such a text.
const char* ReadDigitsToStop(const char* p, std::uint64_t& digits);
// The single nearest to a plain decimal, or nothing when it has no integer digit, or more digits than this
// quick conversion takes: the general float syntax then decides.
std::optional<float> PlainDecimalValue(const PlainDecimal& number);

// The single nearest to `text` when it holds a plain decimal and nothing else, as PlainDecimalValue gives it,
// or nothing. Zeros that end the decimals, as padded prices have them, are found eight at a time, and the
// digits before them alone are read.
std::optional<float> PlainDecimalTextValue(std::string_view text, DecimalMarks marks);

// A price field: the first `marks.other` counts as `marks.decimal`, so "1,5" and "1.5" agree. Nothing for a
// text that does not convert, the empty one included, or whose value lies beyond single precision.
std::optional<float> TryParseQuoteNumber(std::string_view text, DecimalMarks marks = {});
// TryParseQuoteNumber, raising DesignValueError "'<text>' is not a valid floating point value" on failure: a
// price that does not read would make wrong bars, or lose one where it is the open.
float ParseQuoteNumber(std::string_view text, DecimalMarks marks = {});

}  // namespace tarnix
