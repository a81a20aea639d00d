#pragma once

// Eight characters of text as one 64-bit word, so that one step looks at all eight: the searches and digit
// tests of the hot loops.

#include <bit>
#include <cstdint>
#include <cstring>

namespace tarnix {

// A word from `p`, which need not be aligned: memcpy is the one load of any alignment the language allows.
template <typename Word = std::uint64_t>
Word LoadWord(const char* p) {
    Word word{};
    std::memcpy(&word, p, sizeof word);
    return word;
}

// `value` in every byte of a word: the operand that compares all eight bytes at once.
constexpr std::uint64_t EveryByte(std::uint64_t value) {
    return value * 0x0101010101010101u;
}

// The high bit of every byte that equals `c`: the XOR leaves a zero byte there. Only the lowest flag is sure,
// since a borrow may flag the byte above a true one.
inline std::uint64_t BytesEqualTo(std::uint64_t bytes, char c) {
    const std::uint64_t values = bytes ^ EveryByte(static_cast<unsigned char>(c));
    return (values - EveryByte(1)) & ~values & EveryByte(0x80);
}

// The high bit of every byte that is not a decimal digit. Only the lowest flag is sure: a byte of 0x8A or
// more carries into the next; no flag at all means eight digits.
inline std::uint64_t NonDigitBytes(std::uint64_t bytes) {
    const std::uint64_t values = bytes ^ EveryByte('0');
    return ((values + EveryByte(0x80 - 10)) | values) & EveryByte(0x80);
}

// The first `c` from `p` on, or `end`; eight characters a step where the word's byte order allows it.
inline const char* FindByte(const char* p, const char* end, char c) {
    if constexpr (std::endian::native == std::endian::little) {
        for (; end - p >= 8; p += 8) {
            if (const std::uint64_t found = BytesEqualTo(LoadWord(p), c); found != 0)
                return p + std::countr_zero(found) / 8;
        }
    }
    while (p != end && *p != c) ++p;
    return p;
}

}  // namespace tarnix
