#include "core/reading/number_syntax.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <climits>
#include <random>
#include <string>

#include "test_support.h"

namespace tarnix {
namespace {

// Hours, minutes and the custom interval take the syntax at 32 bits, volumes at 64.
TEST(IntegerSyntax, ConvertsEveryAcceptedFormAtBothWidths) {
    constexpr std::optional<std::int32_t> kNot32;
    struct Case {
        const char* text;
        std::optional<std::int32_t> at32;
        std::int64_t at64;
    };
    const Case cases[] = {
        //  text                       32 bits   64 bits
        {"15", 15, 15},
        {"   015", 15, 15},
        {"+7", 7, 7},
        {"-7", -7, -7},
        {"-0", 0, 0},
        {"$F0", 240, 240},
        {"x10", 16, 16},
        {"X10", 16, 16},
        {"0x10", 16, 16},
        {"0X1f", 31, 31},
        {" $ff", 255, 255},
        {"$000000001", 1, 1},
        {"$00000000000000000001", 1, 1},
        {"$FFFFFFFF", -1, 4294967295},
        {"$80000000", INT_MIN, 2147483648},
        {"2147483647", INT_MAX, INT_MAX},
        {"-2147483648", INT_MIN, INT_MIN},
        {"00000000000000000075", 75, 75},
        {"2147483648", kNot32, 2147483648},
        {"-2147483649", kNot32, -2147483649},
        {"$100000000", kNot32, 4294967296},
        {"2461607800", kNot32, 2461607800},  // one day's volume of a large US stock
        {"9223372036854775807", kNot32, INT64_MAX},
        {"-9223372036854775808", kNot32, INT64_MIN},
        {"$FFFFFFFFFFFFFFFF", kNot32, -1},
        {"0x8000000000000000", kNot32, INT64_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TryParseInteger(c.text), c.at32) << "text: '" << c.text << "'";
        EXPECT_EQ(TryParseInteger64(c.text), c.at64) << "text: '" << c.text << "'";
    }
}

TEST(IntegerSyntax, RejectsEverythingElseAtBothWidths) {
    // clang-format off
    const char* rejected[] = {
        "",      " ",     "1 ",   "1.0",  "-$10",
        "+0x10", "$",     "0x",   "x",    "12a",
        "\t5",   "--1",   "+",    "-",    "1e3",
        "٣",     "0x-1",  "5\r",  "1,0",  "- 1",
        "$ 10",  "99999999999999999999", "9223372036854775808", "-9223372036854775809",
        "$10000000000000000",
    };
    // clang-format on
    for (const char* text : rejected) {
        EXPECT_FALSE(TryParseInteger(text).has_value()) << "text: '" << text << "'";
        EXPECT_FALSE(TryParseInteger64(text).has_value()) << "text: '" << text << "'";
    }
}

TEST(IntegerSyntax, FailureNamesTheConvertedText) {
    test::ExpectConversionError([] { ParseInteger("9 "); }, "'9 ' is not a valid integer value");
    test::ExpectConversionError([] { ParseQuoteNumber("1.2.3"); },
                                "'1.2.3' is not a valid floating point value");
}

constexpr std::optional<float> kRefused;

struct PriceCase {
    const char* text;
    std::optional<float> expected;
};

void ExpectPrices(char decimalChar, std::initializer_list<PriceCase> cases) {
    for (const PriceCase& c : cases) {
        const std::optional<float> value = TryParseQuoteNumber(c.text, DecimalMarks::For(decimalChar));
        // Bit-exact: prices are single precision from the moment they are read.
        EXPECT_EQ(value, c.expected) << "text: '" << c.text << "' with decimal char '" << decimalChar << "'";
    }
}

TEST(FloatSyntax, ConvertsWithDotAsLocalSeparator) {
    ExpectPrices('.', {
                          //  text              expected
                          {"25.10", 25.1f},
                          {"25,10", 25.1f},
                          {"1,234.5", kRefused},  // two decimal marks after the swap
                          {"1.234,5", kRefused},
                          {"1E38", 1e38f},
                          {"1e39", kRefused},
                          {"3.4028235e38", FLT_MAX},
                          {"3.40282357e38", kRefused},  // rounds beyond the largest single
                          {"1e-50", kRefused},
                          {"1.4e-45", 1.4e-45f},
                          {"  1.5  ", 1.5f},
                          {"+1.5", 1.5f},
                          {"-1.5", -1.5f},
                          {".", 0.0f},
                          {"5.", 5.0f},
                          {".5", 0.5f},
                          {"1e", 1.0f},
                          {"1E+", 1.0f},
                          {"2.5e-1", 0.25f},
                          {"e5", kRefused},
                          {"1.5x", kRefused},
                          {"\t1", kRefused},
                          {"1 000", kRefused},
                          {"", kRefused},
                          {"-", kRefused},
                          {"1,5,", kRefused},
                          {"12.345678", 12.345678f},
                          {"485.5600000", 485.56f},
                          {"0.0245000", 0.0245f},
                          {"16777217", 16777216.0f},  // halfway between singles: ties to even
                          {"16777219.000", 16777220.0f},
                          {"8388608.5", 8388608.0f},
                          {"8388609.5000000", 8388610.0f},
                          {"9007199254740993", 9007199254740992.0f},
                          {"0.000000000000000000000000000000000000000000001", 1.4e-45f},
                          {"0", 0.0f},
                          {"0.00", 0.0f},
                          {"abc", kRefused},
                          {"NaN", kRefused},
                          {"1x", kRefused},
                          {"1.2.3", kRefused},
                          {"1E39", kRefused},
                      });
}

TEST(FloatSyntax, ConvertsWithCommaAsLocalSeparator) {
    ExpectPrices(',', {
                          {"25,10", 25.1f},
                          {"25.10", 25.1f},
                          {"1,234.5", kRefused},
                          {"1.234,5", kRefused},
                          {" -0,5 ", -0.5f},
                          {"1E38", 1e38f},
                      });
}

TEST(FloatSyntax, LongTextsConvertExactly) {
    const std::string longZeros = "0." + std::string(300, '0') + "1e301";
    EXPECT_EQ(TryParseQuoteNumber(longZeros), 1.0f);
    EXPECT_EQ(TryParseQuoteNumber(std::string(400, '9') + "e-400"), 1.0f);
}

// The single nearest to a plain decimal text, by the general conversion.
float ReferenceValue(const std::string& text) {
    const std::string normalised = text.front() == '.' ? "0" + text : text;
    float value = 0;
    const auto result = std::from_chars(normalised.data(), normalised.data() + normalised.size(), value);
    return result.ec == std::errc() ? value : 0.0f;
}

TEST(FloatSyntax, PlainDecimalsConvertAsTheGeneralConversionDoes) {
    std::mt19937 random(7);
    const auto digits = [&random](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) text += static_cast<char>('0' + random() % 10);
        return text;
    };
    for (int i = 0; i < 200000; ++i) {
        const std::string integer = digits(random() % 10);
        const std::string fraction = digits(random() % 13);
        const std::string text = integer + (random() % 4 != 0 ? "." : "") += fraction;
        if (text.empty() || text == ".") continue;
        const float value = TryParseQuoteNumber(text).value_or(-1.0f);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(value), std::bit_cast<std::uint32_t>(ReferenceValue(text)))
            << text;
    }
}

}  // namespace
}  // namespace tarnix
