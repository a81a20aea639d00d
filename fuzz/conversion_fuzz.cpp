// A whole run over one or two quote files made of the fuzzed bytes, with options taken from the first bytes.
// Every entry must end with exactly one outcome in the log, no descriptor may stay open, and nothing may
// appear beside the quote directory.

#include <stdlib.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "directory_listing.h"
#include "tarnix/conversion.h"

namespace {

namespace fs = std::filesystem;

void Require(bool condition) {
    if (!condition) std::abort();
}

// Names that meet the listing's rules: case, bar file marks, a name that is all extension, a shared stem.
constexpr std::array<std::string_view, 8> kNames = {"SBER.txt", "sber.TXT", "a-M5.txt", ".txt",
                                                    "x.txt",    "X.tXt",    "5.txt",    "data.txt"};
constexpr std::array<std::string_view, 8> kCustomIntervals = {"240", "7", "0", "1", "-5", "x1E", "abc", "5"};

struct FuzzOptions : tarnix::ConversionOptions {
    std::string dir;
    std::uint8_t enabled = 0;
    std::uint8_t flags = 0;
    std::string custom;

    std::string directory() const override { return dir; }
    bool intervalEnabled(int slot) const override { return (enabled >> (slot - 1) & 1) != 0; }
    std::string customIntervalText() const override { return custom; }
    bool addPerField() const override { return (flags & 1) != 0; }
    bool addMs7Period() const override { return (flags & 2) != 0; }
    bool addPeriodToSymbol() const override { return (flags & 4) != 0; }
    bool withVolume() const override { return (flags & 8) != 0; }
    bool russianLog() const override { return (flags & 16) != 0; }
};

struct LogReport : tarnix::ConversionReport {
    std::vector<std::string> log;
    void AddLogLine(std::string_view line) override { log.emplace_back(line); }
    void ShowLineCounter(std::string_view) override {}
    void YieldToWindow() override {}
};

// One private place per process: `outer` holds only the quote directory, so any file written beside it shows.
struct Workspace {
    fs::path outer;
    fs::path quotes;
    Workspace() {
        std::string pattern = (fs::temp_directory_path() / "tarnix-fuzz-XXXXXX").string();
        Require(::mkdtemp(pattern.data()) != nullptr);
        outer = pattern;
        quotes = outer / "quotes";
    }
};

std::size_t OpenDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
    return count;
}

bool IsOutcome(std::string_view line) {
    return line == "Ok" || line == "There is no selected interval" || line == "Не выбран ни один интервал" ||
           line.starts_with("Error: ");
}

// Walks the log entry by entry: a skip line alone, or the processing line and one outcome.
void CheckLog(const std::vector<std::string>& log, const std::vector<std::string>& entries, bool russian) {
    std::size_t at = 0;
    for (const std::string& name : entries) {
        Require(at < log.size());
        if (tarnix::HasBarFileMark(name)) {
            Require(log[at++] == (russian ? "Пропущен (-m): " : "Skip (-m): ") + name);
            continue;
        }
        Require(log[at++] == (russian ? "Обрабатываем: " : "Processing: ") + name);
        Require(at < log.size() && IsOutcome(log[at++]));
    }
    Require(at == log.size());
}

void WriteInputs(const fs::path& dir, const std::uint8_t* data, std::size_t size, std::uint8_t choice) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = (choice & 0x80) != 0 ? bytes.size() * (choice & 0x0F) / 16 : bytes.size();
    std::ofstream(dir / kNames[choice >> 4 & 7], std::ios::binary) << bytes.substr(0, split);
    if (split < bytes.size())
        std::ofstream(dir / kNames[(choice + 3) & 7], std::ios::binary) << bytes.substr(split);
    if ((choice & 0x40) != 0) fs::create_directory(dir / "sub.txt");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Workspace workspace;
    if (size < 4) return 0;
    fs::remove_all(workspace.quotes);
    fs::create_directory(workspace.quotes);

    FuzzOptions options;
    options.dir = workspace.quotes.string() + "/";
    options.enabled = data[0] & 0x1F;
    options.flags = data[1] & 0x1F;
    options.custom = kCustomIntervals[data[0] >> 5];
    const bool parallel = (data[1] & 0x20) != 0;
    WriteInputs(workspace.quotes, data + 3, size - 3, data[2]);
    const std::vector<std::string> entries = tarnix::ListQuoteEntries(options.dir);

    const std::size_t descriptorsBefore = OpenDescriptors();
    LogReport report;
    if (parallel) {
        tarnix::RunConversionInParallel(options, report, 2);
    } else {
        tarnix::RunConversion(options, report);
    }
    Require(OpenDescriptors() == descriptorsBefore);
    CheckLog(report.log, entries, options.russianLog());
    Require(std::distance(fs::directory_iterator(workspace.outer), fs::directory_iterator()) == 1);
    return 0;
}
