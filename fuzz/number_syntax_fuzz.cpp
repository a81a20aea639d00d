// The integer and float syntaxes and the price text, each held against the exact references: the first byte
// picks the check, the rest is the text or the bit pattern.

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/bars/quote_format.h"
#include "core/reading/number_syntax.h"
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
    Require(ref::SameFloatConversion(tarnix::TryParseQuoteNumber(text, marks),
                                     ref::ParsePrice(text, mark, marks.other)));
}

// Four bytes of the single, then one for the decimals of the record (1 to 8; 4 without it).
void CheckPrice(std::string_view bytes) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, bytes.data(), std::min(bytes.size(), sizeof bits));
    const auto value = std::bit_cast<float>(bits);
    const int decimals =
        bytes.size() > sizeof bits ? 1 + static_cast<unsigned char>(bytes[sizeof bits]) % 8 : 4;
    Require(tarnix::FormatQuoteNumber(decimals, value).view() ==
            tarnix::reference::FormatPrice(value, static_cast<std::size_t>(decimals)));
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
