// The integer and float syntaxes and the price text, each held against the exact references: the first byte
// picks the check, the rest is the text or the bit pattern.

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/number_syntax.h"
#include "core/quote_format.h"
#include "reference/exact_numbers.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckInteger(std::string_view text) {
    Require(tarnix::TryParseInteger(text) == tarnix::reference::ParseIntegerText(text));
    Require(tarnix::TryParseInteger64(text) == tarnix::reference::ParseIntegerText<std::int64_t>(text));
}

void CheckFloat(std::string_view text, char mark) {
    namespace ref = tarnix::reference;
    Require(ref::SameFloatConversion(tarnix::TryParseFloat(text, mark), ref::ParseFloatText(text, mark)));
    const auto marks = tarnix::DecimalMarks::For(mark);
    Require(tarnix::ParseQuoteNumber(text, marks) == ref::ParsePrice(text, mark, marks.other));
}

void CheckPrice(std::string_view bytes) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, bytes.data(), std::min(bytes.size(), sizeof bits));
    const auto value = std::bit_cast<float>(bits);
    Require(tarnix::FormatQuoteNumber(4, value).view() == tarnix::reference::FormatPrice(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Longer texts only repeat what shorter ones show, and slow the search down.
    if (size == 0 || size > 400) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
        case 0:
            CheckInteger(rest);
            break;
        case 1:
            CheckFloat(rest, '.');
            break;
        case 2:
            CheckFloat(rest, ',');
            break;
        default:
            CheckPrice(rest);
            break;
    }
    return 0;
}
