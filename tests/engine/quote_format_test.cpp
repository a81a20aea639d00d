#include "core/bars/quote_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/bars/interval_bars.h"
#include "core/conversion_error.h"
#include "core/reading/number_syntax.h"
#include "test_support.h"

namespace tarnix {
namespace {

TEST(FormatQuoteNumber, WritesRecordPrices) {
    struct Case {
        float value;
        const char* expected;
    };
    const Case cases[] = {
        //  value             expected
        {250.5f, "250.5"},
        {251.0f, "251."},
        {100.0f, "100."},
        {250.1f, "250.1"},
        {250.75f, "250.75"},
        {0.03125f, "0.0313"},  // an exact tie at the fourth decimal goes away from zero
        {-0.03125f, "-0.0313"},
        {12.345678f, "12.3457"},
        {1234.5678f, "1234.5677"},  // the single holds 1234.5677490234375
        {-0.00004f, "0."},          // rounds to zero: no minus sign
        {-0.00006f, "-0.0001"},
        {0.0f, "0."},
        {-0.0f, "0."},
        {0.00005f, "0."},  // the single lies just below the half
        {25.1f, "25.1"},
        {16777216.0f, "16777216."},
        {1e20f, "100000002004087734000."},  // 18 significant digits, then zeros
        {FLT_MAX, "340282346638528860000000000000000000000."},
        {std::numeric_limits<float>::denorm_min(), "0."},
        {std::numeric_limits<float>::quiet_NaN(), "NAN"},
        {std::numeric_limits<float>::infinity(), "INF"},
        {-std::numeric_limits<float>::infinity(), "-INF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatQuoteNumber(4, c.value).view(), c.expected) << "value: " << c.value;
    }
}

TEST(FormatQuoteNumber, RoundsTo18DigitsWithTiesToEvenFirst) {
    // 1 + 2^-18 = 1.000003814697265625 and 1 + 3 * 2^-18 = 1.000011444091796875: the 19th digit is an
    // exact tie, which goes to the even 18th digit before the decimals are cut.
    EXPECT_EQ(FormatQuoteNumber(17, 1.000003814697265625f).view(), "1.00000381469726562");
    EXPECT_EQ(FormatQuoteNumber(17, 1.000011444091796875f).view(), "1.00001144409179688");
    EXPECT_EQ(FormatQuoteNumber(0, 2.5f).view(), "3");
    EXPECT_EQ(FormatQuoteNumber(0, -0.4f).view(), "0");
}

TEST(FormatQuoteNumber, KeepsAnUnusualLocalSeparatorWithAllDecimals) {
    EXPECT_EQ(FormatQuoteNumber(4, 250.5f, ',').view(), "250.5");
    EXPECT_EQ(FormatQuoteNumber(4, 250.5f, '#').view(), "250#5000");
}

TEST(FormatQuoteNumber, FastPathAgreesWithExactArithmetic) {
    std::mt19937 random(42);
    const auto expectSame = [](int digits, float value) {
        ASSERT_EQ(FormatQuoteNumber(digits, value).view(), FormatQuoteNumberExact(digits, value).view())
            << "digits " << digits << ", value " << std::bit_cast<std::uint32_t>(value);
    };
    for (int i = 0; i < 100000; ++i) {
        const auto digits = static_cast<int>(random() % 5);
        const auto tie = static_cast<float>((static_cast<double>(random() % 100000000) + 0.5) / 10000.0);
        for (const float value : {std::bit_cast<float>(static_cast<std::uint32_t>(random())), tie,
                                  std::nextafter(tie, 0.0f), std::nextafter(tie, 1e9f), -tie}) {
            expectSame(digits, value);
        }
    }
}

TEST(FormatInteger, WritesEveryLengthAndSign) {
    std::vector<std::int64_t> values = {0, std::numeric_limits<std::int64_t>::min(),
                                        std::numeric_limits<std::int64_t>::max()};
    for (std::int64_t power = 1; power <= std::numeric_limits<std::int64_t>::max() / 10; power *= 10) {
        for (const std::int64_t value : {power - 1, power, power * 10 - 1})
            values.insert(values.end(), {value, -value});
    }
    for (const std::int64_t value : values) EXPECT_EQ(FormatInteger(value).view(), std::to_string(value));
}

TEST(FormatBarTime, WritesSixDigitsWithHoursBeyond23) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "000000"},   {5, "000500"},    {60, "010000"},   {570, "093000"},
        {605, "100500"}, {1439, "235900"}, {1460, "242000"}, {6000, "1000000"},
    };
    for (const auto& [minute, expected] : cases) EXPECT_EQ(FormatBarTime(minute).view(), expected) << minute;
}

TEST(BarEnd, LabelsBarsByTheirInclusiveEnd) {
    struct Case {
        std::int32_t minute;
        std::int32_t interval;
        std::int32_t expected;
    };
    const Case cases[] = {
        // 00:00 falls into the first bar of the day, together with 00:01.
        {0, 5, 5},      {0, 10, 10},    {0, 15, 15},     {0, 60, 60},       {0, 240, 240},
        {1, 5, 5},      {1, 240, 240},  {6, 5, 10},      {6, 10, 10},       {6, 60, 60},
        {600, 5, 600},  {600, 60, 600}, {600, 240, 720}, {601, 5, 605},     {601, 10, 610},
        {601, 15, 615}, {601, 60, 660}, {601, 240, 720}, {1439, 5, 1440},   {1439, 240, 1440},
        {0, 1, 0},      {605, 1, 605},  {1439, 7, 1442}, {1201, 300, 1500}, {601, -5, 595},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BarEnd(c.minute, c.interval), c.expected) << c.minute << " / " << c.interval;
    }
}

TEST(BarEnd, IntervalZeroIsADivisionByZero) {
    test::ExpectConversionError([] { BarEnd(600, 0); }, "Division by zero");
}

TEST(NextDay, RollsOverMonthYearAndLeapDays) {
    const std::pair<const char*, const char*> cases[] = {
        {"20240131", "20240201"}, {"20241231", "20250101"}, {"20240228", "20240229"},
        {"20230228", "20230301"}, {"20000228", "20000229"}, {"19000228", "19000301"},
        {"00010101", "00010102"}, {"$7E80101", "20240102"},
    };
    for (const auto& [date, expected] : cases) EXPECT_EQ(NextDay(date).view(), expected) << date;
}

TEST(NextDay, RefusesPiecesAndDatesThatDoNotExist) {
    const std::pair<const char*, const char*> cases[] = {
        {"31.01.2024", "'31.0' is not a valid integer value"},
        {"202401", "'' is not a valid integer value"},
        {"", "'' is not a valid integer value"},
        {"20240230", "Invalid argument to date encode"},
        {"20230229", "Invalid argument to date encode"},
        {"20241301", "Invalid argument to date encode"},
        {"00000101", "Invalid argument to date encode"},
        {"99991231", "Invalid argument to date encode"},
    };
    for (const auto& [date, message] : cases) {
        SCOPED_TRACE(date);
        test::ExpectConversionError([date = date] { NextDay(date); }, message);
    }
}

}  // namespace
}  // namespace tarnix
