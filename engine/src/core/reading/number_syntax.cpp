#include "number_syntax.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>
#include <type_traits>

#include "core/conversion_error.h"
#include "core/reading/byte_words.h"

namespace tarnix {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigitValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::size_t SkipBlanks(std::string_view text, std::size_t i) {
    while (i < text.size() && text[i] == ' ') ++i;
    return i;
}

std::size_t SkipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i;
}

// Hex digits of a value up to `max`, or nothing.
std::optional<std::uint64_t> ParseHexDigits(std::string_view digits, std::uint64_t max) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0 || value > max >> 4) return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return value;
}

// Decimal digits of a magnitude up to `limit`, or nothing.
std::optional<std::uint64_t> ParseDecimalDigits(std::string_view digits, std::uint64_t limit) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (!IsDigit(c)) return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (limit - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// Length of the hex prefix at the start of `text`, or 0 when there is none.
std::size_t HexPrefixLength(std::string_view text) {
    if (text.empty()) return 0;
    if (text[0] == '$' || text[0] == 'x' || text[0] == 'X') return 1;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return 2;
    return 0;
}

// The parts of a text that passed the float syntax.
struct FloatParts {
    bool negative = false;
    std::string_view intDigits;
    std::string_view fracDigits;
    std::string_view exponent;  // optional sign and digits, empty when there is none
};

std::size_t FormFloatText(const FloatParts& parts, char* out) {
    char* p = out;
    if (parts.negative) *p++ = '-';
    if (parts.intDigits.empty()) *p++ = '0';
    p = std::copy(parts.intDigits.begin(), parts.intDigits.end(), p);
    if (!parts.fracDigits.empty()) {
        *p++ = '.';
        p = std::copy(parts.fracDigits.begin(), parts.fracDigits.end(), p);
    }
    if (!parts.exponent.empty()) {
        *p++ = 'e';
        p = std::copy(parts.exponent.begin(), parts.exponent.end(), p);
    }
    return static_cast<std::size_t>(p - out);
}

std::optional<float> ConvertFloatText(const char* first, const char* last) {
    float value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last) return std::nullopt;
    return value;
}

// Rewrites the parts in from_chars form and converts them; the rare long text goes through the heap.
std::optional<float> ConvertFloatParts(const FloatParts& parts) {
    const std::size_t length = parts.intDigits.size() + parts.fracDigits.size() + parts.exponent.size() + 4;
    if (std::array<char, 128> local{}; length <= local.size()) {
        return ConvertFloatText(local.data(), local.data() + FormFloatText(parts, local.data()));
    }
    std::string heap(length, '\0');
    return ConvertFloatText(heap.data(), heap.data() + FormFloatText(parts, heap.data()));
}

// Whether a double lies exactly halfway between two normal singles: it has 29 more mantissa bits than a
// single, and of those exactly the top one is set.
bool IsHalfwayBetweenSingles(double value) {
    constexpr std::uint64_t kExtraBits = (std::uint64_t{1} << 29) - 1;
    return (std::bit_cast<std::uint64_t>(value) & kExtraBits) == std::uint64_t{1} << 28;
}

std::optional<float> TryParsePlainDecimal(std::string_view text, DecimalMarks marks) {
    const char* const end = text.data() + text.size();
    PlainDecimal number;
    if (ScanPlainDecimal(text.data(), end, marks, number) != end) return std::nullopt;
    return PlainDecimalValue(number);
}

// How many '0' characters end the text, counted eight at a time.
std::size_t TrailingZeros(std::string_view text) {
    constexpr std::size_t kWord = sizeof(std::uint64_t);
    std::size_t zeros = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; text.size() - zeros >= kWord; zeros += kWord) {
            // A '0' becomes a zero byte.
            const std::uint64_t word = LoadWord(text.data() + (text.size() - zeros - kWord)) ^ EveryByte('0');
            if (word != 0) return zeros + static_cast<std::size_t>(std::countl_zero(word)) / 8;
        }
    }
    while (zeros < text.size() && text[text.size() - zeros - 1] == '0') ++zeros;
    return zeros;
}

// The integer syntax at the width of Int: hex values up to all ones wrap to negative numbers (two's
// complement), decimal ones must lie within Int's range.
template <typename Int>
std::optional<Int> TryParseIntegerAs(std::string_view text) {
    using Unsigned = std::make_unsigned_t<Int>;
    const std::size_t start = SkipBlanks(text, 0);
    if (start == text.size()) return std::nullopt;
    const std::string_view rest = text.substr(start);
    if (const std::size_t prefix = HexPrefixLength(rest); prefix > 0) {
        const auto bits = ParseHexDigits(rest.substr(prefix), std::numeric_limits<Unsigned>::max());
        if (!bits) return std::nullopt;
        return static_cast<Int>(static_cast<Unsigned>(*bits));
    }
    const bool negative = rest[0] == '-';
    const std::size_t signLength = (rest[0] == '-' || rest[0] == '+') ? 1 : 0;
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<Int>::max()) + (negative ? 1 : 0);
    const auto magnitude = ParseDecimalDigits(rest.substr(signLength), limit);
    if (!magnitude) return std::nullopt;
    const auto value = static_cast<Unsigned>(*magnitude);
    return static_cast<Int>(negative ? static_cast<Unsigned>(Unsigned{0} - value) : value);
}

}  // namespace

const char* ReadDigits(const char* p, const char* end, std::uint64_t& digits) {
    for (; p != end; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
        if (digit > 9) break;
        digits = digits * 10 + digit;
    }
    return p;
}

const char* ReadDigitsToStop(const char* p, std::uint64_t& digits) {
    for (;; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
        if (digit > 9) return p;
        digits = digits * 10 + digit;
    }
}

const char* ScanPlainDecimal(const char* p, const char* end, DecimalMarks marks, PlainDecimal& number) {
    const char* const integerStart = p;
    p = ReadDigits(p, end, number.digits);
    number.integerCount = static_cast<std::size_t>(p - integerStart);
    if (p != end && (*p == marks.decimal || *p == marks.other)) {
        const char* const fractionStart = ++p;
        p = ReadDigits(p, end, number.digits);
        number.decimals = static_cast<std::size_t>(p - fractionStart);
    }
    return p;
}

namespace {

// The decimals from `p` on, of which the eight bytes at `p` may be read and the first non-digit ends them.
// Zeros that end them leave the value as it is: from three up to seven decimals, they are told apart in one
// word and only the digits before them are read. Fewer decimals, or more, are read as they come.
const char* ReadDecimalsToStop(const char* p, PlainDecimal& number) {
    constexpr std::size_t kFewDecimals = 2;
    const std::uint64_t bytes = LoadWord(p);
    const std::uint64_t nonDigits = NonDigitBytes(bytes);
    const std::uint64_t fewFlags = EveryByte(0x80) >> (8 * (sizeof bytes - kFewDecimals - 1));
    if (nonDigits == 0 || (nonDigits & fewFlags) != 0 || std::endian::native != std::endian::little) {
        const char* const end = ReadDigitsToStop(p, number.digits);
        number.decimals = static_cast<std::size_t>(end - p);
        return end;
    }
    const auto count = static_cast<std::size_t>(std::countr_zero(nonDigits)) / 8;
    // The decimals' bytes, each '0' a zero byte: the highest byte that is not zero is the last that counts.
    const std::uint64_t values = (bytes ^ EveryByte('0')) & ((std::uint64_t{1} << (8 * count)) - 1);
    number.decimals = values == 0 ? 0 : sizeof bytes - static_cast<std::size_t>(std::countl_zero(values)) / 8;
    for (std::size_t i = 0; i < number.decimals; ++i) {
        number.digits = number.digits * 10 + static_cast<std::uint64_t>(p[i] - '0');
    }
    return p + count;
}

}  // namespace

const char* ScanPlainDecimalToStop(const char* p, DecimalMarks marks, PlainDecimal& number) {
    const char* const integerStart = p;
    p = ReadDigitsToStop(p, number.digits);
    number.integerCount = static_cast<std::size_t>(p - integerStart);
    if (*p != marks.decimal && *p != marks.other) return p;
    return ReadDecimalsToStop(p + 1, number);
}

// When the digits make an integer m below 2^53, m and 10^decimals are exact doubles and their quotient is the
// double nearest to the text. Rounding that to single gives the single nearest to the text, except when the
// double lies exactly halfway between two singles: the text may then lie a little to either side, and the
// full conversion decides.
std::optional<float> PlainDecimalValue(const PlainDecimal& number) {
    static constexpr std::array<double, 19> kPowersOf10 = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,
                                                           1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13,
                                                           1e14, 1e15, 1e16, 1e17, 1e18};
    constexpr std::uint64_t kExactLimit = std::uint64_t{1} << 53;
    constexpr std::size_t kMaxDigits = kPowersOf10.size() - 1;  // no overflow of the 64-bit sum
    if (number.integerCount == 0 || number.integerCount + number.decimals > kMaxDigits ||
        number.digits >= kExactLimit) {
        return std::nullopt;
    }
    const double quotient = static_cast<double>(number.digits) / kPowersOf10[number.decimals];
    if (IsHalfwayBetweenSingles(quotient)) return std::nullopt;
    return static_cast<float>(quotient);
}

std::optional<float> PlainDecimalTextValue(std::string_view text, DecimalMarks marks) {
    // Zeros after the mark leave the value as it is; those of a text without a mark do not, and it is read
    // whole.
    const std::size_t digitsEnd = text.size() - TrailingZeros(text);
    PlainDecimal number;
    const char* const end = text.data() + digitsEnd;
    if (ScanPlainDecimal(text.data(), end, marks, number) != end) return std::nullopt;
    if (digitsEnd < text.size() && number.integerCount == digitsEnd) return TryParsePlainDecimal(text, marks);
    return PlainDecimalValue(number);
}

std::optional<std::int32_t> TryParseInteger(std::string_view text) {
    return TryParseIntegerAs<std::int32_t>(text);
}

std::optional<std::int64_t> TryParseInteger64(std::string_view text) {
    return TryParseIntegerAs<std::int64_t>(text);
}

std::int32_t ParseInteger(std::string_view text) {
    if (const auto value = TryParseInteger(text)) return *value;
    ThrowNotValid(text, "integer value");
}

std::int64_t ParseInteger64(std::string_view text) {
    if (const auto value = TryParseInteger64(text)) return *value;
    ThrowNotValid(text, "integer value");
}

std::optional<float> TryParseFloat(std::string_view text, char mark, std::size_t extraMarkAt) {
    const auto isMark = [&](std::size_t i) { return text[i] == mark || i == extraMarkAt; };
    FloatParts parts;
    std::size_t i = SkipBlanks(text, 0);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) parts.negative = text[i++] == '-';
    const std::size_t intStart = i;
    i = SkipDigits(text, i);
    parts.intDigits = text.substr(intStart, i - intStart);
    bool hasMark = false;
    if (i < text.size() && isMark(i)) {
        hasMark = true;
        const std::size_t fracStart = ++i;
        i = SkipDigits(text, i);
        parts.fracDigits = text.substr(fracStart, i - fracStart);
    }
    if (parts.intDigits.empty() && !hasMark) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        const std::size_t expStart = ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t expDigitsStart = i;
        i = SkipDigits(text, i);
        if (i > expDigitsStart) parts.exponent = text.substr(expStart, i - expStart);
    }
    if (SkipBlanks(text, i) != text.size()) return std::nullopt;
    // A lone decimal mark is a valid number: zero.
    if (parts.intDigits.empty() && parts.fracDigits.empty()) return 0.0f;
    return ConvertFloatParts(parts);
}

namespace {

// The price texts beyond the plain decimals, kept apart so that the plain path stays small.
[[gnu::noinline]] std::optional<float> TryParseUnusualQuoteNumber(std::string_view text, DecimalMarks marks) {
    // Only the first other mark counts as a decimal mark: "1,234.5" then holds two marks and does not
    // convert.
    return TryParseFloat(text, marks.decimal, text.find(marks.other));
}

}  // namespace

std::optional<float> TryParseQuoteNumber(std::string_view text, DecimalMarks marks) {
    if (const auto plain = TryParsePlainDecimal(text, marks)) return plain;
    return TryParseUnusualQuoteNumber(text, marks);
}

float ParseQuoteNumber(std::string_view text, DecimalMarks marks) {
    if (const auto value = TryParseQuoteNumber(text, marks)) return *value;
    ThrowDesignValueNotValid(text, "floating point value");
}

}  // namespace tarnix
