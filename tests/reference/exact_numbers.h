#pragma once

// Slow, exact references for the number syntaxes and the price text, written apart from the engine's own
// arithmetic (binary big integers and long division), so that tests and fuzz targets can hold the engine's
// fast paths against them.

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace tarnix::reference {

// An unsigned integer of up to 2560 bits, least significant 32-bit word first.
class BigUint {
  public:
    explicit BigUint(std::uint64_t value = 0) {
        words_[0] = static_cast<std::uint32_t>(value);
        words_[1] = static_cast<std::uint32_t>(value >> 32);
        size_ = 2;
        Trim();
    }

    bool IsZero() const { return size_ == 0; }
    std::uint64_t Low64() const { return std::uint64_t{Word(1)} << 32 | Word(0); }
    int BitLength() const {
        return size_ == 0 ? 0 : 32 * (size_ - 1) + static_cast<int>(std::bit_width(words_[size_ - 1]));
    }

    // *this = *this * factor + addend.
    void MultiplyAdd(std::uint32_t factor, std::uint32_t addend) {
        std::uint64_t carry = addend;
        for (int i = 0; i < size_; ++i) {
            carry += std::uint64_t{words_[i]} * factor;
            words_[i] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        if (carry != 0) words_[size_++] = static_cast<std::uint32_t>(carry);
        Trim();
    }

    // *this /= divisor; returns the remainder.
    std::uint32_t DivideBy(std::uint32_t divisor) {
        std::uint64_t remainder = 0;
        for (int i = size_ - 1; i >= 0; --i) {
            const std::uint64_t current = (remainder << 32) | words_[i];
            words_[i] = static_cast<std::uint32_t>(current / divisor);
            remainder = current % divisor;
        }
        Trim();
        return static_cast<std::uint32_t>(remainder);
    }

    void ShiftLeft(int bits) {
        const int wordShift = bits / 32;
        const int bitShift = bits % 32;
        for (int i = size_ + wordShift; i >= 0; --i) {
            const int from = i - wordShift;
            const std::uint64_t high = from >= 0 && from < size_ ? words_[from] : 0;
            const std::uint64_t low = from >= 1 && from - 1 < size_ ? words_[from - 1] : 0;
            words_[i] = static_cast<std::uint32_t>(((high << 32 | low) << bitShift) >> 32);
        }
        size_ += wordShift + 1;
        Trim();
    }

    // The 32 bits from bit `bits` upwards.
    std::uint32_t BitsFrom(int bits) const {
        const int word = bits / 32;
        const std::uint64_t pair = std::uint64_t{Word(word + 1)} << 32 | Word(word);
        return static_cast<std::uint32_t>(pair >> (bits % 32));
    }

    void KeepLowBits(int bits) {
        for (int i = bits / 32; i < size_; ++i) {
            const int keep = std::max(0, bits - 32 * i);
            words_[i] = keep >= 32 ? words_[i] : words_[i] & ((1u << keep) - 1);
        }
        Trim();
    }

    // *this -= smaller, which must not exceed *this.
    void Subtract(const BigUint& smaller) {
        std::int64_t borrow = 0;
        for (int i = 0; i < size_; ++i) {
            std::int64_t difference =
                std::int64_t{words_[i]} - borrow - (i < smaller.size_ ? smaller.words_[i] : 0);
            borrow = difference < 0 ? 1 : 0;
            words_[i] = static_cast<std::uint32_t>(difference + (borrow << 32));
        }
        Trim();
    }

    friend int Compare(const BigUint& a, const BigUint& b) {
        if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
        for (int i = a.size_ - 1; i >= 0; --i) {
            if (a.words_[i] != b.words_[i]) return a.words_[i] < b.words_[i] ? -1 : 1;
        }
        return 0;
    }

  private:
    static constexpr int kWords = 80;

    std::uint32_t Word(int index) const { return index < size_ ? words_[index] : 0; }
    void Trim() {
        while (size_ > 0 && words_[size_ - 1] == 0) --size_;
    }

    std::array<std::uint32_t, kWords + 1> words_{};
    int size_ = 0;
};

// Decimal digits of a non-negative integer, most significant first; "0" for zero.
inline std::string DecimalDigits(BigUint value) {
    std::string digits;
    do {
        digits.push_back(static_cast<char>('0' + value.DivideBy(10)));
    } while (!value.IsZero());
    std::reverse(digits.begin(), digits.end());
    return digits;
}

// Adds one unit in the last place of a digit string; a carry out of the first digit prepends a "1".
inline void IncrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

// The exact decimal digits of |mantissa × 2^exponent|: the integer digits, then up to `maxDecimals` fraction
// digits by long division; `sticky` tells whether any non-zero digit follows them.
struct DecimalExpansion {
    std::string digits;
    std::size_t point = 0;  // number of integer digits
    bool sticky = false;
};

inline DecimalExpansion ExpandBinary(std::uint64_t mantissa, int exponent, int maxDecimals) {
    DecimalExpansion expansion;
    if (exponent >= 0) {
        BigUint whole(mantissa);
        whole.ShiftLeft(exponent);
        expansion.digits = DecimalDigits(whole);
        expansion.point = expansion.digits.size();
        return expansion;
    }
    const int shift = -exponent;
    expansion.digits = DecimalDigits(BigUint(shift < 64 ? mantissa >> shift : 0));
    expansion.point = expansion.digits.size();
    BigUint remainder(mantissa);
    remainder.KeepLowBits(shift);
    for (int i = 0; i < maxDecimals && !remainder.IsZero(); ++i) {
        remainder.MultiplyAdd(10, 0);
        expansion.digits.push_back(static_cast<char>('0' + remainder.BitsFrom(shift)));
        remainder.KeepLowBits(shift);
    }
    expansion.sticky = !remainder.IsZero();
    return expansion;
}

// Rounds the digits to 18 significant ones, ties to even; the digits after them become zeros.
inline void RoundToSignificantDigits(DecimalExpansion& value, std::size_t first) {
    constexpr std::size_t kSignificant = 18;
    std::string& digits = value.digits;
    const std::size_t cut = first + kSignificant;
    if (cut >= digits.size()) return;
    const char dropped = digits[cut];
    const bool above = value.sticky || digits.find_first_not_of('0', cut + 1) != std::string::npos;
    const bool odd = (digits[cut - 1] - '0') % 2 != 0;
    std::string kept = digits.substr(0, cut);
    if (dropped > '5' || (dropped == '5' && (above || odd))) IncrementDigits(kept);
    value.point += kept.size() - cut;
    digits = kept + std::string(digits.size() - cut, '0');
    value.sticky = false;
}

// The price text of a record: |value| exactly, rounded to 18 significant digits (ties to even), then to
// `decimals` decimals (ties away from zero), "." as separator, trailing zeros dropped down to the dot, and no
// minus sign for a result of zero. Non-finite values give "NAN", "INF" and "-INF".
inline std::string FormatPrice(float value, std::size_t decimals = 4) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const bool negative = (bits >> 31) != 0;
    const int biased = static_cast<int>((bits >> 23) & 0xFF);
    const std::uint32_t fraction = bits & 0x7FFFFF;
    if (biased == 0xFF) return fraction != 0 ? "NAN" : (negative ? "-INF" : "INF");
    const std::uint64_t mantissa = fraction | (biased != 0 ? 0x800000u : 0u);
    // decimals + 20 decimals hold the 19 significant digits of any value from 10^-(decimals + 1) up.
    const std::size_t expanded = decimals + 20;
    DecimalExpansion exact =
        ExpandBinary(mantissa, (biased != 0 ? biased : 1) - 150, static_cast<int>(expanded));
    exact.digits.append(expanded, '0');

    // Below 10^-(decimals + 1) even the step to 18 digits cannot reach half the last decimal: such a value
    // gives zero.
    const std::size_t first = exact.digits.find_first_not_of('0');
    const bool tiny =
        first == std::string::npos || (exact.digits[0] == '0' && first > exact.point + decimals);
    std::string fixed(decimals + 2, '0');  // 0 and one decimal more than written
    if (!tiny) {
        RoundToSignificantDigits(exact, first);
        fixed = exact.digits.substr(0, exact.point + decimals + 1);
    }
    const bool up = fixed.back() >= '5';
    fixed.pop_back();
    if (up) IncrementDigits(fixed);
    const std::size_t integerDigits = fixed.size() - decimals;
    const std::size_t leadingZeros = std::min(fixed.find_first_not_of('0'), integerDigits - 1);
    std::string text =
        fixed.substr(leadingZeros, integerDigits - leadingZeros) + "." + fixed.substr(integerDigits);
    while (text.back() == '0') text.pop_back();
    if (negative && text != "0.") text.insert(text.begin(), '-');
    return text;
}

inline int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The integer syntax at the width of Int: leading blanks, then a sign and decimal digits within Int's range,
// or "$", "x", "X", "0x", "0X" and hex digits of at most Int's width taken as two's complement; nothing
// after.
template <typename Int = std::int32_t>
inline std::optional<Int> ParseIntegerText(std::string_view text) {
    using Unsigned = std::make_unsigned_t<Int>;
    constexpr int kBits = static_cast<int>(sizeof(Int) * 8);
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return std::nullopt;
    text.remove_prefix(start);
    std::uint32_t base = 10;
    bool negative = false;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with('+') || text.starts_with('-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    BigUint value;
    for (const char c : text) {
        const int digit = DigitValue(c);
        if (digit < 0 || static_cast<std::uint32_t>(digit) >= base) return std::nullopt;
        value.MultiplyAdd(base, static_cast<std::uint32_t>(digit));
        if (value.BitLength() > kBits) return std::nullopt;
    }
    const std::uint64_t magnitude = value.Low64();
    if (base == 16) return static_cast<Int>(static_cast<Unsigned>(magnitude));
    const std::uint64_t limit = (std::uint64_t{1} << (kBits - 1)) - (negative ? 0 : 1);
    if (magnitude > limit) return std::nullopt;
    const auto bits = static_cast<Unsigned>(magnitude);
    return static_cast<Int>(negative ? static_cast<Unsigned>(Unsigned{0} - bits) : bits);
}

namespace detail {

// The single nearest to digits × 10^exponent (ties to even), or nothing when it overflows.
inline std::optional<float> NearestSingle(std::string digits, std::int64_t exponent, bool negative) {
    const float signedZero = negative ? -0.0f : 0.0f;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    if (digits.empty()) return signedZero;
    // Digits past the 130th only tell whether the value lies above a tie: one stands for them all.
    constexpr std::size_t kKeptDigits = 130;
    if (digits.size() > kKeptDigits) {
        const bool above = digits.find_first_not_of('0', kKeptDigits) != std::string::npos;
        exponent += static_cast<std::int64_t>(digits.size() - kKeptDigits - 1);
        digits.resize(kKeptDigits);
        digits.push_back(above ? '1' : '0');
    }
    const auto magnitude = static_cast<std::int64_t>(digits.size()) + exponent;  // value < 10^magnitude
    if (magnitude > 39) return std::nullopt;
    if (magnitude < -46) return signedZero;  // below half the smallest subnormal

    BigUint numerator;
    for (const char c : digits) numerator.MultiplyAdd(10, static_cast<std::uint32_t>(c - '0'));
    BigUint denominator(1);
    for (std::int64_t i = 0; i < std::abs(exponent); ++i)
        (exponent > 0 ? numerator : denominator).MultiplyAdd(10, 0);

    // The binary exponent: 2^top <= value < 2^(top + 1).
    int top = numerator.BitLength() - denominator.BitLength();
    const auto atLeastPowerOfTwo = [&](int power) {
        BigUint n = numerator;
        BigUint d = denominator;
        (power >= 0 ? d : n).ShiftLeft(std::abs(power));
        return Compare(n, d) >= 0;
    };
    if (!atLeastPowerOfTwo(top)) --top;
    const int unit = std::max(top - 23, -149);  // value of the last mantissa bit

    (unit < 0 ? numerator : denominator).ShiftLeft(std::abs(unit));
    std::uint32_t quotient = 0;
    for (int bit = 24; bit >= 0; --bit) {
        BigUint part = denominator;
        part.ShiftLeft(bit);
        if (Compare(numerator, part) >= 0) {
            numerator.Subtract(part);
            quotient |= 1u << bit;
        }
    }
    numerator.ShiftLeft(1);
    const int half = Compare(numerator, denominator);
    if (half > 0 || (half == 0 && quotient % 2 != 0)) ++quotient;
    const double exact = std::ldexp(static_cast<double>(quotient), unit);
    if (exact > 3.4028234663852886e38) return std::nullopt;
    const auto single = static_cast<float>(exact);
    return negative ? -single : single;
}

}  // namespace detail

// The float syntax with `mark` as the decimal mark: blanks, a sign, digits, the mark and digits (not both
// empty; a lone mark is zero), an exponent of "e" or "E", a sign and digits (which may be missing), blanks.
inline std::optional<float> ParseFloatText(std::string_view text, char mark) {
    std::size_t i = 0;
    const auto skip = [&](auto accepts) {
        const std::size_t from = i;
        while (i < text.size() && accepts(text[i])) ++i;
        return text.substr(from, i - from);
    };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    skip([](char c) { return c == ' '; });
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::string_view integer = skip(isDigit);
    const bool hasMark = i < text.size() && text[i] == mark;
    if (hasMark) ++i;
    const std::string_view fraction = hasMark ? skip(isDigit) : std::string_view();
    if (integer.empty() && !hasMark) return std::nullopt;
    std::int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negativeExponent = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        for (const char c : skip(isDigit))
            exponent = std::min<std::int64_t>(exponent * 10 + (c - '0'), 100000);
        if (negativeExponent) exponent = -exponent;
    }
    skip([](char c) { return c == ' '; });
    if (i != text.size()) return std::nullopt;
    if (integer.empty() && fraction.empty()) return 0.0f;
    return detail::NearestSingle(std::string(integer) + std::string(fraction),
                                 exponent - static_cast<std::int64_t>(fraction.size()), negative);
}

// The engine's float conversion gives nothing also for a value that underflows to zero.
inline bool SameFloatConversion(std::optional<float> engine, std::optional<float> exact) {
    if (exact == 0.0f && !engine) return true;
    return engine.has_value() == exact.has_value() && engine.value_or(0.0f) == exact.value_or(0.0f);
}

// A price field: the first `otherMark` becomes `mark`; nothing for a text that does not convert.
inline std::optional<float> ParsePrice(std::string_view text, char mark, char otherMark) {
    std::string copy(text);
    if (const std::size_t other = copy.find(otherMark); other != std::string::npos) copy[other] = mark;
    return ParseFloatText(copy, mark);
}

}  // namespace tarnix::reference
