#include "core/reading/quote_reader.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "core/layouts/sample_table.h"
#include "test_support.h"

namespace tarnix {
namespace {

// A quote file with the given bytes, open for reading.
class QuoteFile {
  public:
    explicit QuoteFile(std::string bytes, std::size_t readSize = SIZE_MAX)
        : bytes_(std::move(bytes)), source_(bytes_, readSize) {}
    QuoteFile(const QuoteFile&) = delete;
    QuoteFile& operator=(const QuoteFile&) = delete;
    QuoteReader Reader() { return QuoteReader(source_); }

  private:
    std::string bytes_;
    MemorySource source_;
};

std::vector<std::string> LinesOf(const std::string& bytes, std::size_t readSize) {
    QuoteFile file(bytes, readSize);
    QuoteReader reader = file.Reader();
    std::vector<std::string> lines;
    while (!reader.AtEnd()) {
        reader.ReadLine();
        lines.emplace_back(reader.line);
    }
    return lines;
}

struct Pass {
    std::int64_t lineNumber;
    std::string line;
    bool operator==(const Pass&) const = default;
};

std::vector<Pass> PassesOf(const std::string& bytes) {
    QuoteFile file(bytes);
    QuoteReader reader = file.Reader();
    AnalyseFirstLine(reader);
    std::vector<Pass> passes;
    while (ReadNextLine(reader)) passes.push_back({reader.lineNumber, std::string(reader.line)});
    return passes;
}

QuoteReader AnalysedReader(QuoteFile& file) {
    QuoteReader reader = file.Reader();
    AnalyseFirstLine(reader);
    return reader;
}

TEST(QuoteReader, EndsLinesAtCrCrLfAndLoneLf) {
    using Lines = std::vector<std::string>;
    const std::string longLine(200000, 'x');
    const std::string atBoundary(65535, 'y');  // CR as the last byte of the first block, LF in the next
    const std::pair<std::string, Lines> cases[] = {
        {"A\r\nB\r\n", {"A", "B"}},
        {"A\rB", {"A", "B"}},
        {"A\nB\n", {"A", "B"}},
        {"A\r\n\r\nB", {"A", "", "B"}},
        {"A\n\rB", {"A", "", "B"}},
        {"A\r\r\nB", {"A", "", "B"}},
        {"A", {"A"}},
        {"A\r", {"A"}},
        {"", {}},
        {"\r\n", {""}},
        {"A\x1A"
         "B\r\nC",
         {"A"}},
        {"A\r\n\x1A\r\nB", {"A"}},
        {"\x1A"
         "A",
         {}},
        {longLine + "\r\nB", {longLine, "B"}},
        {atBoundary + "\r\nZ", {atBoundary, "Z"}},
    };
    // Whole, and in short reads that put line ends on every edge of the reader's refills.
    for (const std::size_t readSize : {SIZE_MAX, std::size_t{4093}, std::size_t{2}, std::size_t{1}}) {
        for (const auto& [bytes, expected] : cases) {
            if (readSize < 16 && bytes.size() > 1000) continue;
            EXPECT_EQ(LinesOf(bytes, readSize), expected)
                << "input of " << bytes.size() << " bytes read " << readSize
                << " at a time: " << bytes.substr(0, 20);
        }
    }
    // The layout decision's sample of a whole file splits it the same way.
    for (const auto& [bytes, expected] : cases) {
        std::vector<std::string> sampled;
        for (const SampledLine& line : SampleLines(bytes, true)) sampled.emplace_back(line.text);
        EXPECT_EQ(sampled, expected) << "sampled: " << bytes.substr(0, 20);
    }
}

TEST(QuoteReader, RefusesALineOfMoreThanOneMebibyte) {
    constexpr std::size_t kMebibyte = std::size_t{1} << 20;
    const struct {
        std::size_t length;
        const char* end;
        bool refused;
    } cases[] = {
        {kMebibyte, "\n", false},          {kMebibyte, "", false},
        {kMebibyte + 1, "\n", true},       {kMebibyte + 1, "", true},
        {kMebibyte * 3 / 2, "\r\n", true},
    };
    for (const auto& c : cases) {
        // A line end, and a line after it; or none: the last line of the file.
        const std::string bytes = std::string(c.length, 'x') + c.end + (*c.end != '\0' ? "B\n" : "");
        bool refused = false;
        try {
            LinesOf(bytes, SIZE_MAX);
        } catch (const ConversionError& error) {
            refused = error.message() == "Line too long";
        }
        EXPECT_EQ(refused, c.refused) << c.length << " bytes, then '" << c.end << "'";
    }
}

TEST(QuoteReader, EveryMarkerFindsTheSameLineEnds) {
    // Line ends and their look-alikes with the high bit set, at every place of a word and across words.
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += "ab\r\n\x1A\x8D\x8A\x9A,\x00\xFF\t"[i * 7 % 13];
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{63}, std::size_t{64},
                                   std::size_t{65}, std::size_t{130}, bytes.size()}) {
        for (const std::size_t from : {std::size_t{0}, std::size_t{64}, std::size_t{128}}) {
            if (from > size) continue;
            std::vector<std::vector<std::uint64_t>> found;
            for (const Marker marker : AvailableMarkers()) {
                LineEndMarks marks;
                marks.Reserve(size);
                MarkLineEnds(bytes.data(), from, size - from, marks, marker);
                found.push_back(marks.words);
            }
            for (const auto& words : found) EXPECT_EQ(words, found.front()) << size << " from " << from;
            LineEndMarks plain;
            plain.Reserve(size);
            MarkLineEnds(bytes.data(), from, size - from, plain, Marker::kScalar);
            for (std::size_t i = from; i < size; ++i) {
                const bool end = bytes[i] == '\r' || bytes[i] == '\n' || bytes[i] == '\x1A';
                EXPECT_EQ(NextMark(plain.words.data(), i, size) == i, end) << "byte " << i;
            }
        }
    }
}

TEST(QuoteReader, PassesNumberTheLinesOfTheFile) {
    using Passes = std::vector<Pass>;
    const std::pair<std::string, Passes> cases[] = {
        {"", {}},
        {"\x1A", {}},
        {"<TICKER>,<DATE>\r\n", {}},
        {"SBER,20240131,100000,1,1,1,1", {{1, "SBER,20240131,100000,1,1,1,1"}}},
        {"<TICKER>\r\nA\r\nB", {{2, "A"}, {3, "B"}}},
        {"A\r\n\r\nB\r\n", {{1, "A"}, {2, ""}, {3, "B"}}},
        {"\r\n", {{1, ""}}},
    };
    for (const auto& [bytes, expected] : cases) EXPECT_EQ(PassesOf(bytes), expected) << bytes;
}

TEST(AnalyseFirstLine, DetectsHeaderAndPeriodField) {
    struct Case {
        const char* firstLine;
        bool hasHeader;
        bool hasPeriod;
    };
    const Case cases[] = {
        //  first line                                         header  period
        {"<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>", true, true},
        {"<TICKER>,<DATE>,<TIME>,<OPEN>,<HIGH>", true, false},
        {"<ticker>,<date>,<time>,<open>,<high>", false, false},
        {"SBER,20240131,100000,1,1,1,1", false, false},
        {"SBER,5,20240131,100000,1,1,1,1", false, true},
        {"SBER,60,20240131,100000,1,1,1,1", false, true},
        {"SBER,240,20240131,100000,1,1,1,1", false, false},
        {"SUPER,20240131,100000,1,1,1,1", false, true},  // "PER" anywhere counts
        {"SBER,20240131", false, true},                  // fewer than two commas
        {"no commas at all", false, true},
    };
    for (const Case& c : cases) {
        QuoteFile file(std::string(c.firstLine) + "\r\n");
        const QuoteReader reader = AnalysedReader(file);
        EXPECT_EQ(reader.layout.hasHeader, c.hasHeader) << c.firstLine;
        EXPECT_EQ(reader.layout.hasPeriod, c.hasPeriod) << c.firstLine;
        EXPECT_EQ(reader.readNext, c.hasHeader) << c.firstLine;
    }
}

QuoteLine Split(std::string_view line, bool hasPeriod, bool volumeCounting = true) {
    QuoteLine quote;
    EXPECT_TRUE(SplitQuoteLine(line, {false, hasPeriod}, volumeCounting, {}, quote)) << line;
    return quote;
}

TEST(SplitQuoteLine, TakesTheFieldsOfTheWorkedLine) {
    for (const auto& [line, hasPeriod] :
         {std::pair{"ABCD,1,20230105,100500,25.10,25.50,24.90,25.20,1200", true},
          std::pair{"abcd,20230105,100559,25.10,25.50,24.90,25.20,1200", false}}) {
        const QuoteLine quote = Split(line, hasPeriod);
        EXPECT_EQ(quote.ticker, "ABCD");
        EXPECT_EQ(quote.date, "20230105");
        EXPECT_EQ(quote.minute, 605);
        EXPECT_EQ(quote.open, 25.1f);
        EXPECT_EQ(quote.high, 25.5f);
        EXPECT_EQ(quote.low, 24.9f);
        EXPECT_EQ(quote.close, 25.2f);
        EXPECT_EQ(quote.volume, 1200);
    }
}

TEST(SplitQuoteLine, ReadsFieldsByPosition) {
    struct Case {
        const char* line;
        bool volumeCounting;
        std::int32_t minute;
        float high, low, close;
        std::int64_t volume;
    };
    const Case cases[] = {
        //  line                                                volume  minute  high   low   close  volume
        {"X,20230105, 90500,1,2,0.5,1.5,7", true, 545, 2, 0.5f, 1.5f, 7},
        {"X,20240229,235900,0,0,0,0,7", true, 1439, 0, 0, 0, 7},  // a leap day, its last minute, prices of 0
        {"X,00010101,000000,1,2,0.5,1.5,7", true, 0, 2, 0.5f, 1.5f, 7},
        {"X,20230105,100500,1,2,0.5,1.5, \t7 ", true, 605, 2, 0.5f, 1.5f, 7},
        {"X,20230105,100500,1,2,0.5,1.5,7,junk", true, 605, 2, 0.5f, 1.5f, 7},
        {"X,20230105,100500,1,2,0.5,1.5,7", false, 605, 2, 0.5f, 1.5f, 0},
        {"X,20230105,100500,1,2,0.5,1.5", true, 605, 2, 0.5f, 1.5f, 0},
        {"X,20230105,100500,1,2,0.5,1.5,2461607800", true, 605, 2, 0.5f, 1.5f, 2461607800},
        {"X,20230105,100500,1,2,0.5,1.5,$FFFFFFFFFFFFFFFF", true, 605, 2, 0.5f, 1.5f, -1},
    };
    for (const Case& c : cases) {
        const QuoteLine quote = Split(c.line, false, c.volumeCounting);
        EXPECT_EQ(quote.minute, c.minute) << c.line;
        EXPECT_EQ(quote.high, c.high) << c.line;
        EXPECT_EQ(quote.low, c.low) << c.line;
        EXPECT_EQ(quote.close, c.close) << c.line;
        EXPECT_EQ(quote.volume, c.volume) << c.line;
    }
}

TEST(SplitQuoteLine, PassesOverLinesOfTenCharactersOrFewer) {
    QuoteLine quote;
    EXPECT_FALSE(SplitQuoteLine("0123456789", {}, true, {}, quote));
    // 11 characters: split, and its "hours" fail.
    test::ExpectConversionError([&] { SplitQuoteLine("X,202301051", {}, true, {}, quote); },
                                "'X,' is not a valid integer value");
}

TEST(SplitQuoteLine, RaisesForFieldsThatDoNotRead) {
    const std::pair<const char*, const char*> cases[] = {
        {"X,20230105,100500,abc,2,3,4,5", "'abc' is not a valid floating point value"},
        {"X,20230105,100500,1,NaN,3,4,5", "'NaN' is not a valid floating point value"},
        {"X,20230105,100500,1,2,1x,4,5", "'1x' is not a valid floating point value"},
        {"X,20230105,100500,1,2,3,1.2.3,5", "'1.2.3' is not a valid floating point value"},
        {"X,20230105,100500,1,2,3,1E39", "'1E39' is not a valid floating point value"},
        // An empty price would swallow the comma after it and shift the fields behind it.
        {"X,20230105,100500,,2,3,4,5", "'' is not a valid floating point value"},
        {"X,20230105,100500,25.10,,24.90,25.20,1200", "'' is not a valid floating point value"},
        {"X,20230105,100500,1,2,3,,5", "'' is not a valid floating point value"},
        {"X,20230105,100500,1,2,3,", "'' is not a valid floating point value"},
        {"X,20241331,100500,1,2,3,4,5", "'20241331' is not a valid date"},
        {"X,00000000,100500,1,2,3,4,5", "'00000000' is not a valid date"},
        {"X,20230229,100500,1,2,3,4,5", "'20230229' is not a valid date"},
        {"X,2023010,100500,1,2,3,4,5", "'2023010' is not a valid date"},
        {"X,2023-01-05,100500,1,2,3,4,5", "'2023-01-05' is not a valid date"},
        {"X,20230105,999999,1,2,3,4,5", "'999999' is not a valid time"},
        {"X,20230105,246000,1,2,3,4,5", "'246000' is not a valid time"},
        {"X,20230105,236000,1,2,3,4,5", "'236000' is not a valid time"},
        {"X,20230105,-10500,1,2,3,4,5", "'-10500' is not a valid time"},
        // One message a line: hours and minutes as integers, the date, the time of day, the prices in order,
        // the volume.
        {"X,20241331,ab9999,abc,2,3,4,x", "'ab' is not a valid integer value"},
        {"X,20241331,99yy99,abc,2,3,4,x", "'yy' is not a valid integer value"},
        {"X,20241331,999999,abc,2,3,4,x", "'20241331' is not a valid date"},
        {"X,20230105,999999,abc,2,3,4,x", "'999999' is not a valid time"},
        {"X,20230105,100500,abc,x,y,z,x", "'abc' is not a valid floating point value"},
        {"X,20230105,100500,1,x,y,z,x", "'x' is not a valid floating point value"},
        {"X,20230105,100500,1,2,y,z,x", "'y' is not a valid floating point value"},
        {"X,20230105,100500,1,2,3,z,x", "'z' is not a valid floating point value"},
        {"X,20230105,ab0500,1,2,3,4,5", "'ab' is not a valid integer value"},
        {"X,20230105,9 0500,1,2,3,4,5", "'9 ' is not a valid integer value"},
        {"X,20230105,10y500,1,2,3,4,5", "'y5' is not a valid integer value"},
        {"X,20230105,100500,1,2,3,4,12 000", "'12 000' is not a valid integer value"},
        {"X,20230105,100500,1,2,3,4,9223372036854775808",
         "'9223372036854775808' is not a valid integer value"},
        {"<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>", "'<T' is not a valid integer value"},
        {"A line of prose without commas", "'A ' is not a valid integer value"},
    };
    for (const auto& [line, message] : cases) {
        SCOPED_TRACE(line);
        QuoteLine quote;
        test::ExpectConversionError([&, line = line] { SplitQuoteLine(line, {}, true, {}, quote); }, message);
    }
}

// Lines of the usual form and of many odd ones, built from field texts that the two splits read differently
// when they differ at all: empty fields, signs, blanks, exponents, long digit runs, exact halves between
// singles, short times, missing and extra fields.
std::string RandomQuoteLine(std::mt19937& random) {
    const auto pick = [&random](std::initializer_list<const char*> texts) {
        return std::string(texts.begin()[random() % texts.size()]);
    };
    std::string line = pick({"SBER", "abc", "", "A B"}) + "," + pick({"1", "", "15"}) + "," +
                       pick({"20230105", "20230105", "20240229", "20230229", "", "2023"}) + "," +
                       pick({"100500", "1005", "ab0500", "1005001"});
    const auto fields = 1 + random() % 6;
    for (std::size_t i = 0; i < fields; ++i) {
        line += "," + pick({"250.50",
                            "0,0245",
                            "1",
                            ".5",
                            "",
                            "-1.5",
                            "1e5",
                            "12345678901234567890",
                            "16777217",
                            "250.5000000",
                            " 1",
                            "1.",
                            "247",
                            "$FF",
                            "1234567890123456789",
                            "0.0000000",
                            "3.1400",
                            "99.123",
                            "1.2340000000",
                            "0.1000001"});
    }
    line += pick({"", "", ",", ",junk"});
    if (random() % 4 == 0) line[random() % line.size()] = ",.0 x"[random() % 5];
    return line;
}

TEST(SplitQuoteLine, OnePassAgreesWithPositionsWheneverItTakesALine) {
    std::mt19937 random(11);
    int taken = 0;
    for (int i = 0; i < 200'000; ++i) {
        // A zero and more bytes follow the line, as they follow a line of the reader.
        const std::string padded =
            RandomQuoteLine(random) + std::string(QuoteReader::kReadableAfterLine, '\0');
        const std::string_view line(padded.data(), padded.size() - QuoteReader::kReadableAfterLine);
        const FileLayout layout{false, random() % 2 == 0};
        const bool volumeCounting = random() % 2 == 0;
        const DecimalMarks marks = DecimalMarks::For(random() % 2 == 0 ? '.' : ',');
        const bool stopAfter = random() % 2 == 0;
        QuoteLine plain;
        if (!SplitPlainLine(line, layout, volumeCounting, marks, plain, stopAfter)) continue;
        ++taken;
        QuoteLine byPositions;
        ASSERT_NO_THROW(SplitByPositions(line, layout, volumeCounting, marks, byPositions)) << line;
        const auto bits = [](float value) { return std::bit_cast<std::uint32_t>(value); };
        ASSERT_TRUE(plain.ticker == byPositions.ticker && plain.date == byPositions.date &&
                    plain.minute == byPositions.minute && bits(plain.open) == bits(byPositions.open) &&
                    bits(plain.high) == bits(byPositions.high) && bits(plain.low) == bits(byPositions.low) &&
                    bits(plain.close) == bits(byPositions.close) && plain.volume == byPositions.volume)
            << line << (layout.hasPeriod ? " with period" : "") << (volumeCounting ? " counting volume" : "");
    }
    EXPECT_GT(taken, 800);
}

TEST(LinePositions, FindCommaAndClampedCopy) {
    EXPECT_EQ(FindCommaFrom("a,b,c", 1), 2);
    EXPECT_EQ(FindCommaFrom("a,b,c", 2), 2);
    EXPECT_EQ(FindCommaFrom("a,b,c", 3), 4);
    EXPECT_EQ(FindCommaFrom("a,b,c", 5), 0);
    EXPECT_EQ(FindCommaFrom("a,b,", 4), 4);
    EXPECT_EQ(FindCommaFrom("a,b", 9), 0);
    EXPECT_EQ(FindCommaFrom("", 1), 0);
    EXPECT_EQ(CopyClamped("abcdef", 0, 2), "ab");
    EXPECT_EQ(CopyClamped("abcdef", -5, 2), "ab");
    EXPECT_EQ(CopyClamped("abcdef", 5, 9), "ef");
    EXPECT_EQ(CopyClamped("abcdef", 7, 1), "");
    EXPECT_EQ(CopyClamped("abcdef", 2, -1), "");
    EXPECT_EQ(CopyClamped("", 1, 1), "");
}

}  // namespace
}  // namespace tarnix
