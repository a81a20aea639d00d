// The hot stages of a conversion on their own, so that a change shows where its time went.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/bars/interval_bars.h"
#include "core/bars/quote_format.h"
#include "core/reading/number_syntax.h"
#include "core/reading/quote_reader.h"

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

// The bytes of a quote file holding the lines.
std::string FileOf(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}

void BM_ReadAndSplit(benchmark::State& state) {
    const std::vector<std::string> lines = MinuteQuoteLines(20);
    const std::string bytes = FileOf(lines);
    QuoteLine quote;
    for (auto _ : state) {
        MemorySource source(bytes);
        QuoteReader reader(source);
        AnalyseFirstLine(reader);
        while (ReadNextLine(reader)) {
            benchmark::DoNotOptimize(SplitQuoteLine(reader.line, reader.layout, true, {}, quote));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
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

struct SilentReport : ConversionReport {
    void AddLogLine(std::string_view) override {}
    void ShowLineCounter(std::int64_t) override {}
    void YieldToWindow() override {}
};

// Keeps only the number of bytes written, so that the fold is timed without the file system.
struct CountingSink : RecordSink {
    std::size_t bytes = 0;
    void Write(std::string_view line) override { bytes += line.size(); }
    void Close() override {}
};

void BM_FoldQuote(benchmark::State& state) {
    const std::vector<std::string> lines = MinuteQuoteLines(20);
    std::vector<QuoteLine> quotes;
    std::vector<std::string> dates;  // each date is kept here, never moved
    dates.reserve(lines.size());
    for (QuoteLine quote; const std::string& line : lines) {
        if (!SplitQuoteLine(line, {false, true}, true, {}, quote)) continue;
        quote.date = dates.emplace_back(quote.date);
        quotes.push_back(quote);
    }
    ConversionSettings settings;
    settings.intervalEnabled = {true, true, true, true, false};
    settings.withVolume = true;
    const FixedOptions options(settings);
    SilentReport report;
    IntervalSlots slots;
    for (std::size_t i = 0; i < kFixedIntervals.size(); ++i) {
        slots[i].interval = kFixedIntervals[i];
        slots[i].enabled = true;
        slots[i].file = std::make_unique<CountingSink>();
    }
    BarFolder folder(slots, options, report, {});
    for (auto _ : state) {
        for (const QuoteLine& quote : quotes) folder.FoldQuote(quote);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(quotes.size()));
}
BENCHMARK(BM_FoldQuote);

}  // namespace
}  // namespace tarnix

BENCHMARK_MAIN();
