#pragma once

// The texts of a bar record: the bar time and the prices.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace tarnix {

// A short text built without the heap; long enough for any price or time this engine writes.
class ShortText {
  public:
    static constexpr std::size_t kCapacity = 64;

    std::string_view view() const { return {chars_.data(), size_}; }
    char* data() { return chars_.data(); }
    // Takes the characters written at data() up to `end`.
    void SetEnd(const char* end) { size_ = static_cast<std::size_t>(end - chars_.data()); }
    void Truncate(std::size_t size) { size_ = std::min(size, size_); }
    void Append(std::string_view text);
    void Append(char c) {
        if (size_ < kCapacity) chars_[size_++] = c;
    }
    void Prepend(std::string_view text);

  private:
    std::array<char, kCapacity> chars_;  // only the first size_ characters are ever read
    std::size_t size_ = 0;
};

// The writers of a record's pieces, for composing a record in place: each writes its text at `out`, which
// must have room for ShortText::kCapacity characters, and returns the end of the text. The Format functions
// below give the same texts as ShortText.
inline char* WriteText(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}
char* WriteInteger(char* out, std::int64_t value);
char* WriteBarTime(char* out, std::int32_t minute);
char* WriteQuoteNumber(char* out, int digits, float value, char decimalChar);

// The decimal text of an integer, with a minus sign when negative.
ShortText FormatInteger(std::int64_t value);

// The bar time: hours and minutes of `minute` as HHMM00; hours of 24 and more are written as they are.
ShortText FormatBarTime(std::int32_t minute);

// A price with `digits` decimals (0 to 18): the exact value of the single is rounded to 18 significant
// digits (ties to even), then at the last decimal (ties away from zero); no minus sign when the result is
// zero. The separator is `decimalChar`; a "," becomes "." and trailing zeros after the "." are dropped, down
// to the dot itself ("251.").
ShortText FormatQuoteNumber(int digits, float value, char decimalChar = '.');

// The record texts of the prices written lately, by their bits: a day's quotes keep coming back to the same
// few hundred prices, so most record prices are copied from here instead of being formatted again. The
// texts are those of WriteQuoteNumber with the decimals of a record.
class PriceTextCache {
  public:
    PriceTextCache(int decimals, char decimalChar);
    // WriteQuoteNumber(out, decimals, value, decimalChar) for the cache's decimals and decimal character.
    char* Write(char* out, float value) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        Entry& entry = entries_[(bits * 0x9E3779B1u) >> (32 - kIndexBits)];
        if (entry.size == 0 || entry.bits != bits) return Store(entry, out, value);
        std::memcpy(out, entry.text.data(), entry.text.size());
        return out + entry.size;
    }

  private:
    static constexpr int kIndexBits = 10;
    struct Entry {
        std::uint32_t bits = 0;
        std::uint8_t size = 0;  // 0: empty; a price text is never empty
        std::array<char, 16> text{};
    };

    char* Store(Entry& entry, char* out, float value);

    std::vector<Entry> entries_;
    int decimals_;
    char decimalChar_;
};

// FormatQuoteNumber by exact decimal arithmetic on every digit of the single: the path for values beyond
// the fast one, and the reference it is tested against.
ShortText FormatQuoteNumberExact(int digits, float value, char decimalChar = '.');

}  // namespace tarnix
