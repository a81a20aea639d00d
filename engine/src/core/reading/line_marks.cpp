#include "line_marks.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) || defined(_M_X64)
#define TARNIX_X86_64 1
#include <immintrin.h>
#endif

namespace tarnix {
namespace {

constexpr char kCtrlZ = '\x1A';

// Marks `count` whole words' worth of bytes from `p` on into `words`.
using WordMarker = void (*)(const char* p, std::size_t count, std::uint64_t* words);

void MarkWordsScalar(const char* p, std::size_t count, std::uint64_t* words) {
    for (std::size_t w = 0; w < count; ++w, p += kMarkWordBytes) {
        std::uint64_t bits = 0;
        for (std::size_t i = 0; i < kMarkWordBytes; ++i) {
            const char c = p[i];
            bits |= std::uint64_t{c == '\r' || c == '\n' || c == kCtrlZ} << i;
        }
        words[w] = bits;
    }
}

#ifdef TARNIX_X86_64

void MarkWordsSse2(const char* p, std::size_t count, std::uint64_t* words) {
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i ctrlZ = _mm_set1_epi8(kCtrlZ);
    for (std::size_t w = 0; w < count; ++w, p += kMarkWordBytes) {
        std::uint64_t bits = 0;
        for (std::size_t part = 0; part < kMarkWordBytes / 16; ++part) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
            const __m128i ends =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf)),
                             _mm_cmpeq_epi8(bytes, ctrlZ));
            bits |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(ends))} << (16 * part);
        }
        words[w] = bits;
    }
}

__attribute__((target("avx2"))) void MarkWordsAvx2(const char* p, std::size_t count, std::uint64_t* words) {
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i ctrlZ = _mm256_set1_epi8(kCtrlZ);
    for (std::size_t w = 0; w < count; ++w, p += kMarkWordBytes) {
        std::uint64_t bits = 0;
        for (std::size_t part = 0; part < kMarkWordBytes / 32; ++part) {
            const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * part));
            const __m256i ends =
                _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(bytes, cr), _mm256_cmpeq_epi8(bytes, lf)),
                                _mm256_cmpeq_epi8(bytes, ctrlZ));
            bits |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(ends))} << (32 * part);
        }
        words[w] = bits;
    }
}

#endif

WordMarker WordMarkerOf(Marker marker) {
    switch (marker) {
#ifdef TARNIX_X86_64
        case Marker::kSse2:
            return MarkWordsSse2;
        case Marker::kAvx2:
            return MarkWordsAvx2;
#endif
        default:
            return MarkWordsScalar;
    }
}

struct MarkerList {
    std::array<Marker, 3> markers{Marker::kScalar};
    std::size_t count = 1;
};

MarkerList FindMarkers() {
    MarkerList list;
#ifdef TARNIX_X86_64
    // SSE2 is part of every x86-64 processor; AVX2 is asked of the processor at run time.
    list.markers[list.count++] = Marker::kSse2;
    if (__builtin_cpu_supports("avx2")) list.markers[list.count++] = Marker::kAvx2;
#endif
    return list;
}

}  // namespace

std::span<const Marker> AvailableMarkers() {
    static const MarkerList kMarkers = FindMarkers();
    return {kMarkers.markers.data(), kMarkers.count};
}

void MarkLineEnds(const char* block, std::size_t from, std::size_t size, LineEndMarks& marks, Marker marker) {
    const WordMarker markWords = WordMarkerOf(marker);
    const std::size_t whole = size / kMarkWordBytes;
    std::uint64_t* const words = marks.words.data() + from / kMarkWordBytes;
    markWords(block + from, whole, words);
    const std::size_t rest = size % kMarkWordBytes;
    if (rest == 0) return;
    // The last bytes are marked from a copy, so that nothing past the block is read.
    std::array<char, kMarkWordBytes> tail{};
    std::memcpy(tail.data(), block + from + whole * kMarkWordBytes, rest);
    markWords(tail.data(), 1, words + whole);
    words[whole] &= (std::uint64_t{1} << rest) - 1;
}

void MarkLineEnds(const char* block, std::size_t from, std::size_t size, LineEndMarks& marks) {
    static const Marker kFastest = AvailableMarkers().back();
    MarkLineEnds(block, from, size, marks, kFastest);
}

}  // namespace tarnix
