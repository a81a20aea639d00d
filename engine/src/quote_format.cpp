#include "quote_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "number_syntax.h"

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
ShortText FixedText(const ExactDecimal& digits, int decimals, bool negative) {
    ShortText text;
    if (negative && !digits.IsZero()) text.Append('-');
    if (digits.size() <= decimals) text.Append('0');
    for (int i = digits.size() - 1; i >= decimals; --i)
        text.Append(static_cast<char>('0' + digits.DigitAt(i)));
    if (decimals > 0) text.Append(DecimalChar());
    for (int i = decimals - 1; i >= 0; --i) text.Append(static_cast<char>('0' + digits.DigitAt(i)));
    return text;
}

ShortText NonFiniteText(float value) {
    ShortText text;
    text.Append(std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF"));
    return text;
}

// The record form of a price: the first "," becomes "." and trailing zeros after the dot go.
ShortText TidyDecimals(ShortText text) {
    if (const std::size_t comma = text.view().find(','); comma != std::string_view::npos) {
        text.data()[comma] = '.';
    }
    std::string_view tidy = text.view();
    if (tidy.find('.') != std::string_view::npos) {
        while (tidy.back() == '0') tidy.remove_suffix(1);
    }
    text.Truncate(tidy.size());
    return text;
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

ShortText FormatInteger(std::int64_t value) {
    std::array<char, 24> chars{};
    const auto result = std::to_chars(chars.data(), chars.data() + chars.size(), value);
    ShortText text;
    text.Append(std::string_view(chars.data(), static_cast<std::size_t>(result.ptr - chars.data())));
    return text;
}

ShortText FormatBarTime(std::int32_t minute) {
    const std::int32_t hours = minute / 60;
    ShortText text = FormatInteger(minute - 60 * hours);
    if (text.view().size() < 2) text.Prepend("0");
    text.Prepend(FormatInteger(hours).view());
    if (text.view().size() < 4) text.Prepend("0");
    text.Append("00");
    return text;
}

ShortText FormatQuoteNumber(int digits, float value) {
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
    return TidyDecimals(FixedText(exact, decimals, std::signbit(value)));
}

}  // namespace tarnix
