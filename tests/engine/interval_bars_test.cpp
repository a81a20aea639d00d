#include "core/bars/interval_bars.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "memory_store.h"
#include "run.h"
#include "test_support.h"

namespace tarnix {
namespace {

using Lines = std::vector<std::string>;

std::string JoinCrLf(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// The record lines of a bar file, without its header line.
Lines RecordsOf(const std::string& barFile) {
    Lines records;
    std::istringstream in(barFile);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) records.push_back(line.substr(0, line.size() - 1));
    return records;
}

struct Converted {
    Lines records;
    std::string log;
};

// Converts the store's files with `options`, whose directory becomes the store's; returns the log.
std::string ConvertInMemory(test::MemoryStore& store, ConversionSettings options) {
    options.directory = store.directory();
    test::RecordingReport report;
    RunConversion(store, FixedOptions(options), report);
    return report.LogText();
}

// Converts one input file with only the custom slot, of `interval` minutes, ticked.
Converted ConvertWithInterval(const Lines& input, const std::string& interval) {
    test::MemoryStore store("/q/");
    store.AddFile("SBER.txt", JoinCrLf(input));
    ConversionSettings options;
    options.intervalEnabled[4] = true;
    options.customIntervalText = interval;
    const std::string log = ConvertInMemory(store, options);
    return {RecordsOf(store.Read("SBER-m" + interval + ".txt")), log};
}

struct FoldCase {
    const char* scenario;
    const char* interval;
    Lines input;
    Lines records;
};

TEST(FoldQuote, FoldsQuotesIntoBarsLabelledByTheirEnd) {
    const FoldCase cases[] = {
        {"10:00 closes its own bar; 10:01 and 10:05 share one; 10:06 starts the next",
         "5",
         {"SBER,20240131,100000,1,1,1,1", "SBER,20240131,100100,2,5,2,3", "SBER,20240131,100500,9,4,1.5,2.5",
          "SBER,20240131,100600,7,7,7,7"},
         {"SBER,20240131,100000,1.,1.,1.,1.", "SBER,20240131,100500,2.,5.,1.5,2.5",
          "SBER,20240131,101000,7.,7.,7.,7."}},
        {"00:00 and 00:03 fall into the bar ending at 00:05",
         "5",
         {"SBER,20240131,000000,1,1,1,1", "SBER,20240131,000300,2,2,2,2"},
         {"SBER,20240131,000500,1.,2.,1.,2."}},
        {"interval 1: every minute is a bar, 00:00 included",
         "1",
         {"SBER,20240131,000000,1,1,1,1", "SBER,20240131,000059,2,2,2,2", "SBER,20240131,000100,3,3,3,3"},
         {"SBER,20240131,000000,1.,2.,1.,2.", "SBER,20240131,000100,3.,3.,3.,3."}},
        {"interval 60: 09:30 and 10:00 share the bar ending at 10:00",
         "60",
         {"SBER,20240131,093000,1,1,1,1", "SBER,20240131,100000,2,2,2,2", "SBER,20240131,100100,3,3,3,3"},
         {"SBER,20240131,100000,1.,2.,1.,2.", "SBER,20240131,110000,3.,3.,3.,3."}},
        {"interval 240: 23:59 ends at midnight, written as 23:59 of its own date",
         "240",
         {"SBER,20240131,100000,1,1,1,1", "SBER,20240131,235900,2,2,2,2"},
         {"SBER,20240131,120000,1.,1.,1.,1.", "SBER,20240131,235900,2.,2.,2.,2."}},
        {"interval 7: the bar of 23:59 ends at 00:02 of the next day",
         "7",
         {"SBER,20240131,235900,1,1,1,1", "SBER,20241231,235900,1,1,1,1", "SBER,20240228,235900,1,1,1,1",
          "SBER,20230228,235900,1,1,1,1"},
         {"SBER,20240201,000200,1.,1.,1.,1.", "SBER,20250101,000200,1.,1.,1.,1.",
          "SBER,20240229,000200,1.,1.,1.,1.", "SBER,20230301,000200,1.,1.,1.,1."}},
        {"interval 300: after 20:00 the bar ends at 01:00 of the next day",
         "300",
         {"SBER,20240131,200100,1,1,1,1"},
         {"SBER,20240201,010000,1.,1.,1.,1."}},
        {"interval 3000: the rollover is applied once",
         "3000",
         {"SBER,20240131,010000,1,1,1,1"},
         {"SBER,20240201,260000,1.,1.,1.,1."}},
        {"a new date writes the pending bar under the old date before its end",
         "60",
         {"SBER,20240131,100100,1,1,1,1", "SBER,20240201,100200,2,2,2,2"},
         {"SBER,20240131,110000,1.,1.,1.,1.", "SBER,20240201,110000,2.,2.,2.,2."}},
        {"abcd and ABCD are one series; a new ticker starts another",
         "5",
         {"abcd,20240131,100100,1,1,1,1", "ABCD,20240131,100200,2,2,0.5,2", "GAZP,20240131,100200,3,3,3,3"},
         {"ABCD,20240131,100500,1.,2.,0.5,2.", "GAZP,20240131,100500,3.,3.,3.,3."}},
        {"an open of 0 leaves no bar: the next line starts one in its place",
         "5",
         {"SBER,20240131,100100,0,9,0.1,1", "SBER,20240131,100200,2,2,2,2"},
         {"SBER,20240131,100500,2.,2.,2.,2."}},
        {"an open of 0 on the last line is never written", "5", {"SBER,20240131,100100,0,9,0.1,1"}, {}},
        {"a minute out of order joins the pending bar unless it lies beyond its end",
         "5",
         {"SBER,20240131,100600,1,1,1,1", "SBER,20240131,100100,2,3,0.5,2", "SBER,20240131,101100,4,4,4,4"},
         {"SBER,20240131,101000,1.,3.,0.5,2.", "SBER,20240131,101500,4.,4.,4.,4."}},
        {"short lines and lines without quotes are passed over",
         "5",
         {"SBER,20240131,100100,1,1,1,1", "", "short", "SBER,20240131,100200,2,2,2,2"},
         {"SBER,20240131,100500,1.,2.,1.,2."}},
    };
    for (const FoldCase& c : cases) {
        SCOPED_TRACE(c.scenario);
        const Converted converted = ConvertWithInterval(c.input, c.interval);
        EXPECT_EQ(converted.log, "Processing: SBER.txt\nOk\n");
        EXPECT_EQ(converted.records, c.records);
    }
}

TEST(FoldQuote, FailsTheFileOnAValueThatDoesNotReadOrADateWithoutANextDay) {
    // A first line in the design's layout keeps the file in the design reading; its open of 0 writes no bar.
    const std::string designStart = "SBER,20240130,100000,0,0,0,0";
    const std::pair<const char*, const char*> cases[] = {
        {"SBER,31.01.2024,235900,1,1,1,1", "Error: '31.01.2024' is not a valid date"},
        {"SBER,20240230,235900,1,1,1,1", "Error: '20240230' is not a valid date"},
        {"SBER,99991231,235900,1,1,1,1", "Error: Invalid argument to date encode"},
        {"SBER,20240131,999999,1,1,1,1", "Error: '999999' is not a valid time"},
        {"SBER,20240131,100500,NaN,1,1,1", "Error: 'NaN' is not a valid floating point value"},
    };
    for (const auto& [line, error] : cases) {
        const Converted converted = ConvertWithInterval({designStart, line}, "7");
        EXPECT_EQ(converted.log, "Processing: SBER.txt\n" + std::string(error) + "\n");
        EXPECT_EQ(converted.records, Lines{});
    }
}

// Volumes are summed in 64 bits, which only a sum beyond any real one wraps around.
TEST(FoldQuote, VolumeSumsPass32BitsAndWrapOnlyAt64) {
    const std::array<std::array<const char*, 3>, 3> cases = {{
        //  first volume           second     sum written
        {"2147483647", "2", "2147483649"},
        {"4294967295", "1", "4294967296"},
        {"9223372036854775807", "1", "-9223372036854775808"},
    }};
    for (const auto& [first, second, sum] : cases) {
        test::MemoryStore store("/q/");
        store.AddFile("V.txt", JoinCrLf({std::string("V,20240131,100100,1,1,1,1,") + first,
                                         std::string("V,20240131,100200,1,1,1,1,") + second}));
        ConversionSettings options;
        options.intervalEnabled[0] = true;
        options.withVolume = true;
        ConvertInMemory(store, options);
        EXPECT_EQ(RecordsOf(store.Read("V-m5.txt")),
                  Lines{std::string("V,20240131,100500,1.,1.,1.,1.,") + sum});
    }
}

TEST(WriteBar, ComposesRecordAndHeaderForEveryFlagCombination) {
    struct Case {
        bool perField, ms7Period, periodToSymbol, volume;
        const char* header;
        const char* record;
    };
    const Case cases[] = {
        {false, false, false, false, "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>",
         "SBER,20240131,100500,250.5,251.,250.1,250.75"},
        {false, false, false, true, "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>",
         "SBER,20240131,100500,250.5,251.,250.1,250.75,12000"},
        {true, false, false, false, "<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>",
         "SBER,I,20240131,100500,250.5,251.,250.1,250.75"},
        {false, true, false, false, "<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>",
         "SBER,5,20240131,100500,250.5,251.,250.1,250.75"},
        {true, true, false, true, "<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>",
         "SBER,5,20240131,100500,250.5,251.,250.1,250.75,12000"},
        {true, false, true, false, "<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>",
         "SBER5,I,20240131,100500,250.5,251.,250.1,250.75"},
        {false, false, true, true, "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>",
         "SBER5,20240131,100500,250.5,251.,250.1,250.75,12000"},
    };
    for (const Case& c : cases) {
        test::MemoryStore store("/q/");
        store.AddFile("SBER.txt", JoinCrLf({"SBER,20240131,100100,250.5,251,250.1,250.5,7000",
                                            "SBER,20240131,100500,250.6,250.9,250.2,250.75,5000"}));
        ConversionSettings options;
        options.intervalEnabled[0] = true;
        options.addPerField = c.perField;
        options.addMs7Period = c.ms7Period;
        options.addPeriodToSymbol = c.periodToSymbol;
        options.withVolume = c.volume;
        ConvertInMemory(store, options);
        EXPECT_EQ(store.Read("SBER-m5.txt"), std::string(c.header) + "\r\n" + c.record + "\r\n") << c.record;
    }
}

// Options whose period field, as a window's box, is ticked after its first `untickedReads` readings.
class TickedLater final : public ConversionOptions {
  public:
    TickedLater(const ConversionSettings& settings, int untickedReads)
        : fixed_(settings), untickedReads_(untickedReads) {}

    std::string directory() const override { return fixed_.directory(); }
    bool intervalEnabled(int slot) const override { return fixed_.intervalEnabled(slot); }
    std::string customIntervalText() const override { return fixed_.customIntervalText(); }
    bool addPerField() const override { return untickedReads_-- <= 0; }
    bool addMs7Period() const override { return false; }
    bool addPeriodToSymbol() const override { return false; }
    bool withVolume() const override { return false; }
    bool russianLog() const override { return false; }
    char decimalChar() const override { return '.'; }

  private:
    FixedOptions fixed_;
    mutable int untickedReads_;
};

TEST(WriteBar, RecordsFollowTheOptionsAsTheyAreReadForEachRecord) {
    test::MemoryStore store("/q/");
    store.AddFile("SBER.txt", JoinCrLf({"SBER,20240131,100100,1,1,1,1", "SBER,20240131,100600,2,2,2,2",
                                        "SBER,20240131,101100,3,3,3,3"}));
    ConversionSettings settings;
    settings.directory = store.directory();
    settings.intervalEnabled[0] = true;
    test::RecordingReport report;
    // The header and the first record read the box unticked.
    RunConversion(store, TickedLater(settings, 2), report);
    EXPECT_EQ(RecordsOf(store.Read("SBER-m5.txt")),
              (Lines{"SBER,20240131,100500,1.,1.,1.,1.", "SBER,I,20240131,101000,2.,2.,2.,2.",
                     "SBER,I,20240131,101500,3.,3.,3.,3."}));
}

TEST(WriteBar, Ms7PeriodIsTheIntervalUpTo60AndOtherwise1) {
    const std::pair<const char*, const char*> cases[] = {
        {"45", "45"}, {"60", "60"}, {"240", "1"}, {"-5", "-5"}};
    for (const auto& [interval, period] : cases) {
        test::MemoryStore store("/q/");
        store.AddFile("A.txt", "A,20240131,100100,1,1,1,1\r\n");
        ConversionSettings options;
        options.intervalEnabled[4] = true;
        options.customIntervalText = interval;
        options.addMs7Period = true;
        ConvertInMemory(store, options);
        const Lines records = RecordsOf(store.Read(std::string("A-m") + interval + ".txt"));
        ASSERT_EQ(records.size(), 1u) << interval;
        EXPECT_EQ(records[0].substr(0, records[0].find(',', 2)), std::string("A,") + period);
    }
}

TEST(BarFileName, CutsTheLastFourCharactersAndAddsTheInterval) {
    EXPECT_EQ(BarFileName("/q/", "SBER.txt", 5), "/q/SBER-m5.txt");
    EXPECT_EQ(BarFileName("/q/", "SBER.txt", 240), "/q/SBER-m240.txt");
    EXPECT_EQ(BarFileName("/q/", "sber.TXT", 60), "/q/sber-m60.txt");
    EXPECT_EQ(BarFileName("/q/", ".txt", -7), "/q/-m-7.txt");
}

}  // namespace
}  // namespace tarnix
