// A whole run, in memory, over one or two quote files made of the fuzzed bytes, with options taken from the
// first bytes. Every entry must end with exactly one outcome in the log and in the run's outcome, no file may
// stay open, and nothing may be asked for beside the quote directory.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "directory_listing.h"
#include "memory_store.h"
#include "run.h"
#include "tarnix/conversion.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// Names that meet the listing's rules: case, bar file marks, a name that is all extension, a shared stem.
constexpr std::array<std::string_view, 8> kNames = {"SBER.txt", "sber.TXT", "a-M5.txt", ".txt",
                                                    "x.txt",    "X.tXt",    "5.txt",    "data.txt"};
constexpr std::array<std::string_view, 8> kCustomIntervals = {"240", "7", "0", "1", "-5", "x1E", "abc", "5"};

struct LogReport : tarnix::ConversionReport {
    std::vector<std::string> log;
    void AddLogLine(std::string_view line) override { log.emplace_back(line); }
    void ShowLineCounter(std::int64_t) override {}
    void YieldToWindow() override {}
};

bool IsOutcome(std::string_view line) {
    return line == "Ok" || line == "There is no selected interval" || line == "Не выбран ни один интервал" ||
           line.starts_with("Error: ");
}

// Starting threads under the sanitizers costs as much as seven small runs, and inputs that reach the
// parallel run's code fill the corpus: one input in 64 takes that run, picked by a hash of all its bytes, so
// that a mutated input mostly runs one file at a time while every input still replays as it ran.
bool ParallelFor(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    return hash % 64 == 0;
}

tarnix::EntryOutcome OutcomeOf(std::string_view line) {
    if (line == "Ok") return tarnix::EntryOutcome::kConverted;
    if (line.starts_with("Error: ")) return tarnix::EntryOutcome::kFailed;
    return tarnix::EntryOutcome::kNoInterval;
}

// Walks the log entry by entry: a skip line alone, or the processing line, perhaps the layout line, and one
// outcome, each the same as the run's outcome for the entry.
void CheckLog(const std::vector<std::string>& log, const std::vector<std::string>& entries,
              const tarnix::RunOutcome& outcome, bool russian) {
    Require(outcome.entries.size() == entries.size() && outcome.directoryFailure.empty());
    std::size_t at = 0;
    for (std::size_t entry = 0; entry < entries.size(); ++entry) {
        const std::string& name = entries[entry];
        Require(at < log.size());
        if (tarnix::HasBarFileMark(name)) {
            Require(log[at++] == (russian ? "Пропущен (-m): " : "Skip (-m): ") + name);
            Require(outcome.entries[entry] == tarnix::EntryOutcome::kSkipped);
            continue;
        }
        Require(log[at++] == (russian ? "Обрабатываем: " : "Processing: ") + name);
        // A file in another layout than the design's says how it is read.
        if (at < log.size() && log[at].starts_with(russian ? "Формат: " : "Layout: ")) ++at;
        Require(at < log.size() && IsOutcome(log[at]));
        Require(outcome.entries[entry] == OutcomeOf(log[at++]));
    }
    Require(at == log.size());
}

void AddInputs(tarnix::test::MemoryStore& store, const std::uint8_t* data, std::size_t size,
               std::uint8_t choice) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = (choice & 0x80) != 0 ? bytes.size() * (choice & 0x0F) / 16 : bytes.size();
    store.AddFile(std::string(kNames[choice >> 4 & 7]), std::string(bytes.substr(0, split)));
    if (split < bytes.size())
        store.AddFile(std::string(kNames[(choice + 3) & 7]), std::string(bytes.substr(split)));
    if ((choice & 0x40) != 0) store.AddSubdirectory("sub.txt");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    tarnix::test::MemoryStore store("/quotes/");
    tarnix::ConversionSettings settings;
    settings.directory = store.directory();
    for (std::size_t slot = 0; slot < settings.intervalEnabled.size(); ++slot) {
        settings.intervalEnabled[slot] = (data[0] >> slot & 1) != 0;
    }
    settings.customIntervalText = kCustomIntervals[data[0] >> 5];
    settings.addPerField = (data[1] & 1) != 0;
    settings.addMs7Period = (data[1] & 2) != 0;
    settings.addPeriodToSymbol = (data[1] & 4) != 0;
    settings.withVolume = (data[1] & 8) != 0;
    settings.russianLog = (data[1] & 16) != 0;
    settings.decimalChar = (data[1] & 0x40) != 0 ? ',' : '.';
    const int workers = ParallelFor(data, size) ? 2 : 1;
    AddInputs(store, data + 3, size - 3, data[2]);
    const std::vector<std::string> entries = tarnix::QuoteEntries(store.List(store.directory()).names);

    LogReport report;
    const tarnix::RunOutcome outcome =
        tarnix::RunConversionInParallel(store, tarnix::FixedOptions(settings), report, workers);
    Require(store.openCount() == 0 && !store.leftDirectory());
    CheckLog(report.log, entries, outcome, settings.russianLog);
    return 0;
}
