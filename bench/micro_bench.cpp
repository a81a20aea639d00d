// The hot stages of a conversion on their own, so that a change shows where its time went.

#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "interval_bars.h"
#include "number_syntax.h"
#include "quote_format.h"
#include "quote_reader.h"

namespace tarnix {
namespace {

// One trading day of one-minute quotes, repeated over several days.
std::vector<std::string> MinuteQuoteLines(int days) {
    std::mt19937 random(5);
    std::vector<std::string> lines;
    int ticks = 25050;
    for (int day = 1; day <= days; ++day) {
        for (int minute = 600; minute < 1125; ++minute) {
            const int close = ticks + static_cast<int>(random() % 7) - 3;
            char line[128];
            std::snprintf(
                line, sizeof line, "SBER,1,202401%02d,%02d%02d00,%d.%02d,%d.%02d,%d.%02d,%d.%02d,%lu", day,
                minute / 60, minute % 60, ticks / 100, ticks % 100, (close + 2) / 100, (close + 2) % 100,
                (ticks - 2) / 100, (ticks - 2) % 100, close / 100, close % 100, 1 + random() % 5000);
            lines.emplace_back(line);
            ticks = close;
        }
    }
    return lines;
}

// An in-memory file holding the lines, for the reader.
int MemoryFileOf(const std::vector<std::string>& lines) {
    const int fd = ::memfd_create("quotes", 0);
    for (const std::string& line : lines) {
        const std::string withEnd = line + "\r\n";
        if (::write(fd, withEnd.data(), withEnd.size()) < 0) std::perror("write");
    }
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

void BM_ReadAndSplit(benchmark::State& state) {
    const std::vector<std::string> lines = MinuteQuoteLines(20);
    const int fd = MemoryFileOf(lines);
    QuoteLine quote;
    for (auto _ : state) {
        QuoteReader reader(fd, "quotes");
        AnalyseFirstLine(reader);
        while (ReadNextLine(reader)) benchmark::DoNotOptimize(SplitQuoteLine(reader, true, quote));
        ::lseek(fd, 0, SEEK_SET);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
    ::close(fd);
}
BENCHMARK(BM_ReadAndSplit);

void BM_FloatSyntax(benchmark::State& state) {
    const std::vector<std::string> texts = {"250.50", "0.0245", "7012.5", "160.25", "251", "1,5", "99.9999"};
    for (auto _ : state) {
        for (const std::string& text : texts) benchmark::DoNotOptimize(ParseQuoteNumber(text));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
}
BENCHMARK(BM_FloatSyntax);

void BM_IntegerSyntax(benchmark::State& state) {
    const std::vector<std::string> texts = {"10", "05", "23", "59", "1200", "4999", "$F0"};
    for (auto _ : state) {
        for (const std::string& text : texts) benchmark::DoNotOptimize(TryParseInteger(text));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
}
BENCHMARK(BM_IntegerSyntax);

void BM_FormatQuoteNumber(benchmark::State& state) {
    const std::vector<float> values = {250.5f, 251.0f, 0.0245f, 7012.5f, 160.25f, 12.345678f, 99.9999f};
    for (auto _ : state) {
        for (const float value : values) benchmark::DoNotOptimize(FormatQuoteNumber(4, value));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_FormatQuoteNumber);

// Options for folding into the four fixed slots, written to /dev/null.
struct FoldOptions : ConversionOptions {
    std::string directory() const override { return "/dev/"; }
    bool intervalEnabled(int slot) const override { return slot <= 4; }
    std::string customIntervalText() const override { return "240"; }
    bool addPerField() const override { return false; }
    bool addMs7Period() const override { return false; }
    bool addPeriodToSymbol() const override { return false; }
    bool withVolume() const override { return true; }
    bool russianLog() const override { return false; }
};

struct SilentReport : ConversionReport {
    void AddLogLine(std::string_view) override {}
    void ShowLineCounter(std::string_view) override {}
    void YieldToWindow() override {}
};

void BM_FoldQuote(benchmark::State& state) {
    const std::vector<std::string> lines = MinuteQuoteLines(20);
    const int fd = MemoryFileOf(lines);
    QuoteReader reader(fd, "quotes");
    AnalyseFirstLine(reader);
    std::vector<QuoteLine> quotes;
    std::vector<std::string> dates;  // the reader's buffer moves on: each date is kept here, never moved
    dates.reserve(lines.size());
    for (QuoteLine quote; ReadNextLine(reader);) {
        if (!SplitQuoteLine(reader, true, quote)) continue;
        quote.date = dates.emplace_back(quote.date);
        quotes.push_back(quote);
    }
    const FoldOptions options;
    SilentReport report;
    IntervalSlots slots;
    const std::int32_t intervals[] = {5, 10, 15, 60};
    for (std::size_t i = 0; i < 4; ++i) {
        slots[i].interval = intervals[i];
        slots[i].enabled = true;
        slots[i].file.Create("/dev/null");
    }
    BarFolder folder(slots, options, report);
    for (auto _ : state) {
        for (const QuoteLine& quote : quotes) folder.FoldQuote(quote);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(quotes.size()));
    ::close(fd);
}
BENCHMARK(BM_FoldQuote);

}  // namespace
}  // namespace tarnix

BENCHMARK_MAIN();
