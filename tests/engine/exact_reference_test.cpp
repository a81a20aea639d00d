// The engine's number texts held against the slow exact references: price texts over random and boundary
// bit patterns, and the two number syntaxes over their edges.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/number_syntax.h"
#include "core/quote_format.h"
#include "reference/exact_numbers.h"

namespace tarnix {
namespace {

// The sanitizer build runs the same checks many times slower; a tenth of the random patterns keeps it short.
#ifdef TARNIX_SANITIZED_BUILD
constexpr int kRandomPatterns = 1'000'000;
#else
constexpr int kRandomPatterns = 10'000'000;
#endif

float FromBits(std::uint32_t bits) {
    return std::bit_cast<float>(bits);
}

// Counts the mismatches and shows the first few, so that a broken path does not flood the log. Each price
// goes through the record writer's cache as well, which formats it the first time and copies it later.
class PriceChecker {
  public:
    void Check(float value) {
        const std::string expected = reference::FormatPrice(value);
        std::array<char, ShortText::kCapacity> cached{};
        const std::string_view fromCache(
            cached.data(), static_cast<std::size_t>(cache_.Write(cached.data(), value) - cached.data()));
        if (FormatQuoteNumber(4, value).view() == expected && fromCache == expected) return;
        if (++mismatches_ <= 5) {
            ADD_FAILURE() << "bits 0x" << std::hex << std::bit_cast<std::uint32_t>(value) << std::dec
                          << ": engine " << FormatQuoteNumber(4, value).view() << ", cached " << fromCache
                          << ", reference " << expected;
        }
    }
    // The value, its neighbours on both sides and its negation.
    void CheckAround(float value) {
        for (const float v : {value, std::nextafter(value, -INFINITY), std::nextafter(value, INFINITY)}) {
            Check(v);
            Check(-v);
        }
    }
    int mismatches() const { return mismatches_; }

  private:
    PriceTextCache cache_{'.'};
    int mismatches_ = 0;
};

TEST(FormatQuoteNumberReference, AgreesOnRandomBitPatterns) {
    std::mt19937 random(20240131);
    PriceChecker checker;
    // Every other price comes back from the last few hundred, as a day's quotes do.
    std::array<float, 512> recent{};
    for (int i = 0; i < kRandomPatterns; ++i) {
        float& slot = recent[random() % recent.size()];
        if (i % 2 == 0) slot = FromBits(static_cast<std::uint32_t>(random()));
        checker.Check(slot);
    }
    EXPECT_EQ(checker.mismatches(), 0);
}

TEST(FormatQuoteNumberReference, AgreesOnEveryBoundary) {
    PriceChecker checker;
    // Exact ties at the fourth decimal are the odd multiples of 1/32; near ties lie beside decimal halves.
    std::mt19937 random(7);
    for (std::uint32_t m = 1; m < (1u << 15); m += 2) checker.CheckAround(static_cast<float>(m) / 32.0f);
    for (int i = 0; i < 100'000; ++i) {
        checker.CheckAround(static_cast<float>((random() % (1u << 24)) | 1u) / 32.0f);
        checker.CheckAround(static_cast<float>((static_cast<double>(random() % 100'000'000) + 0.5) / 1e4));
    }
    // Near zero: the half of the last decimal and the tenth of it, where the exact path stops looking.
    for (const float edge :
         {0.00005f, 0.00015f, 0.00001f, FLT_MIN, std::numeric_limits<float>::denorm_min()}) {
        float value = edge;
        for (int i = 0; i < 2000; ++i) value = std::nextafter(value, 0.0f);
        for (int i = 0; i < 4000; ++i, value = std::nextafter(value, INFINITY)) checker.CheckAround(value);
    }
    // Both ends of every binade: powers of two, the values past 2^40 whose 19th digit is rounded away
    // first, and the largest finite single.
    for (std::uint32_t exponent = 0; exponent < 255; ++exponent) {
        for (std::uint32_t mantissa = 0; mantissa < 64; ++mantissa) {
            checker.CheckAround(FromBits(exponent << 23 | mantissa));
            checker.CheckAround(FromBits(exponent << 23 | (0x7FFFFFu - mantissa)));
        }
    }
    for (const float special : {-0.0f, FLT_MAX, -FLT_MAX, INFINITY, -INFINITY, NAN, -NAN,
                                FromBits(0x7F800001u), FromBits(0xFFC00001u)}) {
        checker.Check(special);
    }
    EXPECT_EQ(checker.mismatches(), 0);
}

TEST(FormatQuoteNumberReference, ReferenceKnowsTheRecordTexts) {
    const std::pair<float, const char*> cases[] = {
        {250.5f, "250.5"},
        {251.0f, "251."},
        {0.03125f, "0.0313"},
        {-0.03125f, "-0.0313"},
        {-0.00004f, "0."},
        {-0.00006f, "-0.0001"},
        {1234.5678f, "1234.5677"},
        {-0.0f, "0."},
        {1e20f, "100000002004087734000."},  // 1.00000002004087734272e20: the 19th digit is cut
        {FLT_MAX, "340282346638528860000000000000000000000."},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(reference::FormatPrice(value), text) << value;
}

TEST(NumberSyntaxReference, AgreesOnEdges) {
    const std::vector<std::string> texts = {
        "",
        " ",
        "0",
        "-0",
        "+0",
        "2147483647",
        "2147483648",
        "-2147483648",
        "-2147483649",
        "$7FFFFFFF",
        "$80000000",
        "$FFFFFFFF",
        "$100000000",
        "9223372036854775807",
        "9223372036854775808",
        "-9223372036854775808",
        "-9223372036854775809",
        "$FFFFFFFFFFFFFFFF",
        "$10000000000000000",
        "0x0000000000000001",
        "0x",
        "x",
        "$",
        " 12",
        "12 ",
        "+-1",
        "1.5",
        "1,5",
        ".",
        "-.",
        "1e",
        "1e+",
        "1e-",
        "e5",
        "1e38",
        "1e39",
        "3.4028235e38",
        "3.40282357e38",
        "3.4028236e38",
        "1.17549435e-38",
        "1.4e-45",
        "7.006492321624085e-46",
        "7.006492321624086e-46",
        "0." + std::string(45, '0') + "700649232162408535461864791644958065640130970938257885",  // near a tie
        "16777217",
        "16777219",
        "33554435",
        "1 e5",
        "  1.5  ",
        "1..5",
        "١",
        "\t1",
        "1" + std::string(150, '0') + "1e-190",  // digits past those that can matter
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(TryParseInteger(text), reference::ParseIntegerText(text)) << "'" << text << "'";
        EXPECT_EQ(TryParseInteger64(text), reference::ParseIntegerText<std::int64_t>(text))
            << "'" << text << "'";
        for (const char mark : {'.', ','}) {
            EXPECT_TRUE(reference::SameFloatConversion(TryParseFloat(text, mark),
                                                       reference::ParseFloatText(text, mark)))
                << "'" << text << "' mark " << mark;
            EXPECT_EQ(ParseQuoteNumber(text, DecimalMarks::For(mark)),
                      reference::ParsePrice(text, mark, mark == ',' ? '.' : ','))
                << "'" << text << "' mark " << mark;
        }
    }
}

}  // namespace
}  // namespace tarnix
