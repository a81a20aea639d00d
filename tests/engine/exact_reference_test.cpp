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

#include "core/bars/quote_format.h"
#include "core/reading/number_syntax.h"
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

// The decimals a bar file may be asked for besides the default: one, a currency pair's five, the six of
// split-adjusted shares, and the most.
constexpr std::array<int, 4> kOtherDecimals = {1, 5, 6, 8};

// Counts the mismatches and shows the first few, so that a broken path does not flood the log. Each price
// goes through the record writer's cache as well, which formats it the first time and copies it later.
class PriceChecker {
  public:
    explicit PriceChecker(int decimals = kDefaultPriceDecimals)
        : decimals_(decimals), cache_(decimals, '.') {}

    void Check(float value) {
        const std::string expected = reference::FormatPrice(value, static_cast<std::size_t>(decimals_));
        std::array<char, ShortText::kCapacity> cached{};
        const std::string_view fromCache(
            cached.data(), static_cast<std::size_t>(cache_.Write(cached.data(), value) - cached.data()));
        if (FormatQuoteNumber(decimals_, value).view() == expected && fromCache == expected) return;
        if (++mismatches_ <= 5) {
            ADD_FAILURE() << "bits 0x" << std::hex << std::bit_cast<std::uint32_t>(value) << std::dec << ", "
                          << decimals_ << " decimals: engine " << FormatQuoteNumber(decimals_, value).view()
                          << ", cached " << fromCache << ", reference " << expected;
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
    int decimals_;
    PriceTextCache cache_;
    int mismatches_ = 0;
};

// Random bit patterns, every other one coming back from the last few hundred, as a day's quotes do.
int RandomMismatches(int decimals, int patterns) {
    std::mt19937 random(20240131);
    PriceChecker checker(decimals);
    std::array<float, 512> recent{};
    for (int i = 0; i < patterns; ++i) {
        float& slot = recent[random() % recent.size()];
        if (i % 2 == 0) slot = FromBits(static_cast<std::uint32_t>(random()));
        checker.Check(slot);
    }
    return checker.mismatches();
}

TEST(FormatQuoteNumberReference, AgreesOnRandomBitPatterns) {
    EXPECT_EQ(RandomMismatches(kDefaultPriceDecimals, kRandomPatterns), 0);
    for (const int decimals : kOtherDecimals) EXPECT_EQ(RandomMismatches(decimals, kRandomPatterns / 10), 0);
}

// Ties at the last decimal, exact and near, the values around where the quick path ends, and the negative
// values that round to zero, for each number of decimals.
TEST(FormatQuoteNumberReference, AgreesAtTheTiesOfEveryNumberOfDecimals) {
    for (const int decimals : {1, 4, 5, 6, 8}) {
        PriceChecker checker(decimals);
        // Exact ties at N decimals are the odd multiples of 2^-(N+1); near ties lie beside decimal halves.
        const float tieStep = std::ldexp(1.0f, -(decimals + 1));
        const double unit = std::pow(10.0, decimals);
        std::mt19937 random(7);
        for (std::uint32_t m = 1; m < (1u << 15); m += 2)
            checker.CheckAround(static_cast<float>(m) * tieStep);
        const int nearTies = decimals == kDefaultPriceDecimals ? 100'000 : 20'000;
        for (int i = 0; i < nearTies; ++i) {
            checker.CheckAround(static_cast<float>((random() % (1u << 24)) | 1u) * tieStep);
            checker.CheckAround(
                static_cast<float>((static_cast<double>(random() % 100'000'000) + 0.5) / unit));
        }
        // Near zero: the half of the last decimal and the tenth of it, where the exact path stops looking.
        for (const double edge : {0.5, 1.5, 0.1}) {
            auto value = static_cast<float>(edge / unit);
            for (int i = 0; i < 2000; ++i) value = std::nextafter(value, 0.0f);
            for (int i = 0; i < 4000; ++i, value = std::nextafter(value, INFINITY))
                checker.CheckAround(value);
        }
        // Powers of ten and of two around 10^(17 - N), where 18 significant digits run out at the last
        // decimal.
        for (int exponent = 0; exponent <= 45; ++exponent) {
            for (const float edge :
                 {std::ldexp(1.0f, exponent), static_cast<float>(std::pow(10.0, exponent % 20))}) {
                float value = edge;
                for (int i = 0; i < 64; ++i, value = std::nextafter(value, 0.0f)) checker.CheckAround(value);
            }
        }
        EXPECT_EQ(checker.mismatches(), 0) << decimals << " decimals";
    }
}

TEST(FormatQuoteNumberReference, AgreesOnEveryBoundary) {
    PriceChecker checker;
    // Near zero, below anything a decimal shows.
    for (const float edge : {FLT_MIN, std::numeric_limits<float>::denorm_min()}) {
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
    const struct {
        float value;
        std::size_t decimals;
        const char* text;
    } cases[] = {
        {250.5f, 4, "250.5"},
        {251.0f, 4, "251."},
        {0.03125f, 4, "0.0313"},
        {-0.03125f, 4, "-0.0313"},
        {-0.00004f, 4, "0."},
        {-0.00006f, 4, "-0.0001"},
        {1234.5678f, 4, "1234.5677"},
        {-0.0f, 4, "0."},
        {1e20f, 4, "100000002004087734000."},  // 1.00000002004087734272e20: the 19th digit is cut
        {FLT_MAX, 4, "340282346638528860000000000000000000000."},
        {1.10438f, 4, "1.1044"},
        {1.10438f, 5, "1.10438"},
        {0.02415f, 6, "0.02415"},
        {0.25f, 1, "0.3"},
        {-0.04f, 1, "0."},
        {-0.06f, 1, "-0.1"},
        {-4e-9f, 8, "0."},
        {-6e-9f, 8, "-0.00000001"},
        {3.14159265f, 8, "3.14159274"},
        {99999.99f, 8, "99999.9921875"},
        {1e20f, 8, "100000002004087734000."},
    };
    for (const auto& c : cases) EXPECT_EQ(reference::FormatPrice(c.value, c.decimals), c.text) << c.value;
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
            EXPECT_TRUE(
                reference::SameFloatConversion(TryParseQuoteNumber(text, DecimalMarks::For(mark)),
                                               reference::ParsePrice(text, mark, mark == ',' ? '.' : ',')))
                << "'" << text << "' mark " << mark;
        }
    }
}

}  // namespace
}  // namespace tarnix
