#pragma once

// Where the lines of a block of input end (CR, LF and Ctrl-Z), found for the whole block in one pass, one
// bit a byte, so that the line loop looks a line's end up instead of walking its characters.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarnix {

// The bytes that one word of marks stands for.
inline constexpr std::size_t kMarkWordBytes = 64;

// Bit i % 64 of word i / 64 stands for byte i of the block.
struct LineEndMarks {
    std::vector<std::uint64_t> words;

    // Room for the marks of `size` bytes.
    void Reserve(std::size_t size) {
        const std::size_t count = size / kMarkWordBytes + 1;
        if (words.size() < count) words.resize(count);
    }
};

// The ways of finding the marks; all give the same bits for every input. The vector ones run only where
// the processor has them (AvailableMarkers).
enum class Marker : std::uint8_t { kScalar, kSse2, kAvx2 };

// The markers this processor runs, the plain one first; MarkLineEnds takes the last, the fastest.
std::span<const Marker> AvailableMarkers();

// Sets the marks of bytes [from, from + size) of `block`, whose marks start at byte 0; `from` is a multiple
// of 64. The marks of the bytes past the end in the last word are cleared. `marks` must have room.
void MarkLineEnds(const char* block, std::size_t from, std::size_t size, LineEndMarks& marks, Marker marker);
void MarkLineEnds(const char* block, std::size_t from, std::size_t size, LineEndMarks& marks);

// The index of the first mark at or after bit `from` and before bit `end`, or `end`. The words must cover
// the bits up to `end`.
inline std::size_t NextMark(const std::uint64_t* words, std::size_t from, std::size_t end) {
    if (from >= end) return end;
    std::size_t at = from;
    std::uint64_t word = words[at / kMarkWordBytes] >> (at % kMarkWordBytes);
    while (word == 0) {
        at = (at / kMarkWordBytes + 1) * kMarkWordBytes;
        if (at >= end) return end;
        word = words[at / kMarkWordBytes];
    }
    const std::size_t found = at + static_cast<std::size_t>(std::countr_zero(word));
    return found < end ? found : end;
}

}  // namespace tarnix
