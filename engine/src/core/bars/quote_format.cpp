#include "quote_format.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace tarnix {
namespace {

constexpr int kSignificantDigits = 18;
constexpr int kMaxDecimals = 18;

// An exact non-negative decimal integer, least significant digit first. A single's exact value needs at
// most 112 digits (the smallest subnormal times 10^149).
class ExactDecimal {
  public:
    explicit ExactDecimal(std::uint32_t value) {
        do {
            digits_[size_++] = static_cast<std::uint8_t>(value % 10);
            value /= 10;
        } while (value != 0);
    }

    int size() const { return size_; }
    int DigitAt(int index) const { return index < size_ ? digits_[index] : 0; }

    void MultiplyBy(int factor) {
        int carry = 0;
        for (int i = 0; i < size_; ++i) {
            const int product = digits_[i] * factor + carry;
            digits_[i] = static_cast<std::uint8_t>(product % 10);
            carry = product / 10;
        }
        while (carry != 0) {
            digits_[size_++] = static_cast<std::uint8_t>(carry % 10);
            carry /= 10;
        }
    }

    // Multiplies by 10^count.
    void ShiftUp(int count) {
        if (IsZero()) return;
        std::memmove(digits_.data() + count, digits_.data(), static_cast<std::size_t>(size_));
        std::fill_n(digits_.data(), count, std::uint8_t{0});
        size_ += count;
    }

    // Drops the `count` lowest digits, rounding to nearest; ties go to even or away from zero.
    void RoundOff(int count, bool tiesToEven) {
        const int first = DigitAt(count - 1);
        const bool sticky = std::any_of(digits_.begin(), digits_.begin() + std::min(count - 1, size_),
                                        [](std::uint8_t d) { return d != 0; });
        const bool keptIsOdd = DigitAt(count) % 2 != 0;
        const bool up = first > 5 || (first == 5 && (!tiesToEven || sticky || keptIsOdd));
        if (count >= size_) {
            size_ = 1;
            digits_[0] = 0;
        } else {
            std::memmove(digits_.data(), digits_.data() + count, static_cast<std::size_t>(size_ - count));
            size_ -= count;
        }
        if (up) Increment();
    }

    bool IsZero() const { return size_ == 1 && digits_[0] == 0; }

  private:
    void Increment() {
        for (int i = 0; i < size_; ++i) {
            if (++digits_[i] < 10) return;
            digits_[i] = 0;
        }
        digits_[size_++] = 1;
    }

    std::array<std::uint8_t, 192> digits_{};
    int size_ = 0;
};

// |value| as digits × 10^-scale, exactly: a single is m × 2^e with a 24-bit m, and 2^-k = 5^k × 10^-k.
ExactDecimal ExactMagnitude(float value, int& scale) {
    int exponent = 0;
    const float fraction = std::frexp(std::fabs(value), &exponent);
    auto mantissa = static_cast<std::uint32_t>(std::ldexp(fraction, 24));
    exponent -= 24;
    while (mantissa != 0 && mantissa % 2 == 0 && exponent < 0) {
        mantissa /= 2;
        ++exponent;
    }
    ExactDecimal digits(mantissa);
    scale = exponent < 0 ? -exponent : 0;
    for (int i = 0; i < std::abs(exponent); ++i) digits.MultiplyBy(exponent < 0 ? 5 : 2);
    return digits;
}

// The text of C's "%.Nf" for a value given as digits × 10^-decimals.
ShortText FixedText(const ExactDecimal& digits, int decimals, bool negative, char decimalChar) {
    ShortText text;
    if (negative && !digits.IsZero()) text.Append('-');
    if (digits.size() <= decimals) text.Append('0');
    for (int i = digits.size() - 1; i >= decimals; --i)
        text.Append(static_cast<char>('0' + digits.DigitAt(i)));
    if (decimals > 0) text.Append(decimalChar);
    for (int i = decimals - 1; i >= 0; --i) text.Append(static_cast<char>('0' + digits.DigitAt(i)));
    return text;
}

ShortText NonFiniteText(float value) {
    ShortText text;
    text.Append(std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF"));
    return text;
}

// The record form of a price: the first "," becomes "." and trailing zeros after the dot go.
void TidyDecimals(ShortText& text) {
    if (const std::size_t comma = text.view().find(','); comma != std::string_view::npos) {
        text.data()[comma] = '.';
    }
    std::string_view tidy = text.view();
    if (tidy.find('.') != std::string_view::npos) {
        while (tidy.back() == '0') tidy.remove_suffix(1);
    }
    text.Truncate(tidy.size());
}

// With N decimals, below 10^(17 - N) a price has at most 17 significant digits, so a tie at its last decimal
// keeps through rounding to 18 significant digits. A normal single m * 2^e that is not itself such a tie lies
// at least 2^(e - 1) * 10^-N, about |value| * 3e-8 * 10^-N, away from every tie: far beyond the
// 5e-18 * |value| that rounding to 18 significant digits can move it, for any N up to 9. So that step never
// changes the result below the limit, and the decimals can be rounded straight from the binary value;
// |value| * 10^N then stays below 10^17 and fits the 64-bit arithmetic. The limits are the powers of two
// below 10^(17 - N), and no higher than 2^40.
constexpr int kFastPathMaxDecimals = 8;
constexpr std::array<float, kFastPathMaxDecimals + 1> kFastPathLimits = {
    0x1p40f, 0x1p40f, 0x1p40f, 0x1p40f, 0x1p40f, 0x1p39f, 0x1p36f, 0x1p33f, 0x1p29f};

bool FitsFastPath(int digits, float value) {
    const auto index = static_cast<std::size_t>(digits);
    return digits >= 0 && index < kFastPathLimits.size() && std::fabs(value) < kFastPathLimits[index];
}

constexpr std::uint64_t PowerOf10(int exponent) {
    std::uint64_t power = 1;
    for (int i = 0; i < exponent; ++i) power *= 10;
    return power;
}

// |value| * 10^Digits rounded half away from zero, exactly: |value| is m * 2^e with a 24-bit m.
template <int Digits>
std::uint64_t ScaledMagnitude(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const auto biased = static_cast<int>((bits >> 23) & 0xFF);
    const std::uint64_t mantissa = (bits & 0x7FFFFFu) | (biased != 0 ? 0x800000u : 0u);
    const int exponent = (biased != 0 ? biased : 1) - 150;
    const std::uint64_t scaled = mantissa * PowerOf10(Digits);
    if (exponent >= 0) return scaled << exponent;
    const int shift = -exponent;
    if (shift >= 63) return 0;
    const std::uint64_t remainder = scaled & ((std::uint64_t{1} << shift) - 1);
    return (scaled >> shift) + (remainder >= (std::uint64_t{1} << (shift - 1)) ? 1 : 0);
}

// "00" to "99": numbers are written two digits at a time.
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

char* WritePair(char* out, std::uint64_t pair) {
    std::memcpy(out, &kDigitPairs[static_cast<std::size_t>(pair * 2)], 2);
    return out + 2;
}

int DigitCount(std::uint64_t value) {
    static constexpr std::array<std::uint64_t, 20> kPowersOf10 = [] {
        std::array<std::uint64_t, 20> powers{};
        for (std::size_t i = 0; i < powers.size(); ++i) powers[i] = PowerOf10(static_cast<int>(i));
        return powers;
    }();
    // 1233 / 4096 is just above log10(2): the guess is the count or one less. Zero has one digit too.
    value |= 1;
    const auto guess = static_cast<std::size_t>((std::bit_width(value) * 1233) >> 12);
    return static_cast<int>(guess) + (value >= kPowersOf10[guess] ? 1 : 0);
}

char* WriteUnsigned(char* out, std::uint64_t value) {
    char* const end = out + DigitCount(value);
    char* first = end;
    for (; value >= 100; value /= 100) WritePair(first -= 2, value % 100);
    if (value >= 10) {
        WritePair(first - 2, value);
    } else {
        first[-1] = static_cast<char>('0' + value);
    }
    return end;
}

// Exactly `Count` digits of `value`, with leading zeros.
template <int Count>
char* WritePadded(char* out, std::uint64_t value) {
    if constexpr (Count % 2 != 0) {
        out[Count - 1] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    for (std::ptrdiff_t i = Count / 2 - 1; i >= 0; --i, value /= 100) WritePair(out + 2 * i, value % 100);
    return out + Count;
}

// The record text of the price straight away: with "." or "," as the separator the decimals end at their
// last non-zero digit, with another separator all of them stay.
template <int Digits>
char* WriteFastPrice(char* out, float value, char separator) {
    const std::uint64_t magnitude = ScaledMagnitude<Digits>(value);
    constexpr std::uint64_t kUnit = PowerOf10(Digits);
    if (std::signbit(value) && magnitude != 0) *out++ = '-';
    out = WriteUnsigned(out, magnitude / kUnit);
    if constexpr (Digits > 0) {
        const bool tidy = separator == '.' || separator == ',';
        *out++ = tidy ? '.' : separator;
        out = WritePadded<Digits>(out, magnitude % kUnit);
        // The dot itself is not a zero: "251." stays.
        if (tidy) {
            while (out[-1] == '0') --out;
        }
    }
    return out;
}

char* WriteFastPrice(char* out, int digits, float value, char separator) {
    switch (digits) {
        case 0:
            return WriteFastPrice<0>(out, value, separator);
        case 1:
            return WriteFastPrice<1>(out, value, separator);
        case 2:
            return WriteFastPrice<2>(out, value, separator);
        case 3:
            return WriteFastPrice<3>(out, value, separator);
        case 4:
            return WriteFastPrice<4>(out, value, separator);
        case 5:
            return WriteFastPrice<5>(out, value, separator);
        case 6:
            return WriteFastPrice<6>(out, value, separator);
        case 7:
            return WriteFastPrice<7>(out, value, separator);
        default:
            return WriteFastPrice<kFastPathMaxDecimals>(out, value, separator);
    }
}

}  // namespace

void ShortText::Append(std::string_view text) {
    const std::size_t count = std::min(text.size(), kCapacity - size_);
    std::memcpy(chars_.data() + size_, text.data(), count);
    size_ += count;
}

void ShortText::Prepend(std::string_view text) {
    const std::size_t count = std::min(text.size(), kCapacity - size_);
    std::memmove(chars_.data() + count, chars_.data(), size_);
    std::memcpy(chars_.data(), text.data(), count);
    size_ += count;
}

char* WriteInteger(char* out, std::int64_t value) {
    if (value < 0) *out++ = '-';
    const auto magnitude = static_cast<std::uint64_t>(value);
    return WriteUnsigned(out, value < 0 ? 0 - magnitude : magnitude);
}

char* WriteBarTime(char* out, std::int32_t minute) {
    const std::int32_t hours = minute / 60;
    if (minute >= 0 && hours < 100) {
        out = WritePair(out, static_cast<std::uint64_t>(hours));
        out = WritePair(out, static_cast<std::uint64_t>(minute % 60));
        return WritePair(out, 0);
    }
    ShortText text = FormatInteger(minute - 60 * hours);
    if (text.view().size() < 2) text.Prepend("0");
    text.Prepend(FormatInteger(hours).view());
    if (text.view().size() < 4) text.Prepend("0");
    text.Append("00");
    return WriteText(out, text.view());
}

char* WriteQuoteNumber(char* out, int digits, float value, char decimalChar) {
    if (FitsFastPath(digits, value)) return WriteFastPrice(out, digits, value, decimalChar);
    return WriteText(out, FormatQuoteNumberExact(digits, value, decimalChar).view());
}

PriceTextCache::PriceTextCache(int decimals, char decimalChar)
    : entries_(std::size_t{1} << kIndexBits), decimals_(decimals), decimalChar_(decimalChar) {}

char* PriceTextCache::Store(Entry& entry, char* out, float value) {
    char* const end = WriteQuoteNumber(out, decimals_, value, decimalChar_);
    const auto size = static_cast<std::size_t>(end - out);
    if (size <= entry.text.size()) {
        entry.bits = std::bit_cast<std::uint32_t>(value);
        entry.size = static_cast<std::uint8_t>(size);
        std::memcpy(entry.text.data(), out, size);
    }
    return end;
}

ShortText FormatInteger(std::int64_t value) {
    ShortText text;
    text.SetEnd(WriteInteger(text.data(), value));
    return text;
}

ShortText FormatBarTime(std::int32_t minute) {
    ShortText text;
    text.SetEnd(WriteBarTime(text.data(), minute));
    return text;
}

ShortText FormatQuoteNumber(int digits, float value, char decimalChar) {
    ShortText text;
    text.SetEnd(WriteQuoteNumber(text.data(), digits, value, decimalChar));
    return text;
}

ShortText FormatQuoteNumberExact(int digits, float value, char decimalChar) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    const int decimals = std::clamp(digits, 0, kMaxDecimals);
    int scale = 0;
    ExactDecimal exact = ExactMagnitude(value, scale);
    if (exact.size() > kSignificantDigits) {
        const int dropped = exact.size() - kSignificantDigits;
        exact.RoundOff(dropped, true);
        scale -= dropped;
    }
    if (scale > decimals) exact.RoundOff(scale - decimals, false);
    if (scale < decimals) exact.ShiftUp(decimals - scale);
    ShortText text = FixedText(exact, decimals, std::signbit(value), decimalChar);
    TidyDecimals(text);
    return text;
}

}  // namespace tarnix
