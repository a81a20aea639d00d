// One quote file made of the fuzzed bytes, converted in memory twice with the same options taken from the
// first bytes: to bar files, and into a MetaStock folder. The folder must read back to the bar files ticker
// by ticker, at single precision, and a file the folder refuses must be refused with a MetaStock message.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/metastock/metastock_format.h"
#include "core/metastock/metastock_reading.h"
#include "memory_store.h"
#include "run.h"
#include "tarnix/conversion.h"

namespace {

namespace ms = tarnix::metastock;

void Require(bool condition) {
    if (!condition) std::abort();
}

struct LogReport : tarnix::ConversionReport {
    std::vector<std::string> log;
    void AddLogLine(std::string_view line) override { log.emplace_back(line); }
    void ShowLineCounter(std::int64_t) override {}
    void YieldToWindow() override {}
};

constexpr std::array<std::string_view, 4> kCustomIntervals = {"1", "7", "30", "60"};

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
    }
    return lines;
}

// A bar file line with its volume as the folder holds it: the nearest single.
std::string AtSinglePrecision(std::string_view line, bool withVolume) {
    if (!withVolume) return std::string(line);
    const std::size_t comma = line.rfind(',');
    const double volume = std::strtod(std::string(line.substr(comma + 1)).c_str(), nullptr);
    const auto single = static_cast<float>(volume);
    return std::string(line.substr(0, comma + 1)) + std::to_string(std::llround(single));
}

// The bar file's lines of one ticker, as the folder's reader prints them.
std::string TickerLines(std::string_view barFile, const std::string& symbol, bool withVolume) {
    const std::vector<std::string_view> lines = Lines(barFile);
    std::string text = std::string(lines.front()) + "\r\n";
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].substr(0, lines[i].find(',')) == symbol)
            text += AtSinglePrecision(lines[i], withVolume) + "\r\n";
    }
    return text;
}

std::string ReadBack(const std::string& data, const ms::Security& security, int decimals, bool withVolume) {
    const std::string text = ms::BarsAsText(security, ms::ReadDataFile(data, security), decimals, withVolume);
    const std::vector<std::string_view> lines = Lines(text);
    std::string atSingle = std::string(lines.front()) + "\r\n";
    for (std::size_t i = 1; i < lines.size(); ++i)
        atSingle += AtSinglePrecision(lines[i], withVolume) + "\r\n";
    return atSingle;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    tarnix::ConversionSettings settings;
    settings.directory = "/quotes/";
    for (std::size_t slot = 0; slot < settings.intervalEnabled.size(); ++slot)
        settings.intervalEnabled[slot] = (data[0] >> slot & 1) != 0;
    settings.customIntervalText = kCustomIntervals[data[0] >> 5 & 3];
    settings.withVolume = (data[1] & 1) != 0;
    settings.priceDecimals = 1 + (data[1] >> 1 & 7);
    const std::string quotes(reinterpret_cast<const char*>(data + 2), size - 2);

    tarnix::test::MemoryStore barStore(settings.directory);
    barStore.AddFile("Q.txt", quotes);
    LogReport barLog;
    const tarnix::RunOutcome bars = tarnix::RunConversion(barStore, tarnix::FixedOptions(settings), barLog);

    tarnix::test::MemoryStore folderStore(settings.directory);
    folderStore.AddFile("Q.txt", quotes);
    // The store holds one directory: the folder shares it with the quotes, whose listing it does not meet.
    settings.metaStockFolder = settings.directory;
    LogReport folderLog;
    const tarnix::RunOutcome folder =
        tarnix::RunConversion(folderStore, tarnix::FixedOptions(settings), folderLog);
    Require(folderStore.openCount() == 0 && !folderStore.leftDirectory());

    if (bars.entries.front() != tarnix::EntryOutcome::kConverted) {
        Require(folder.entries.front() == bars.entries.front());
        return 0;
    }
    if (folder.entries.front() != tarnix::EntryOutcome::kConverted) {
        Require(folderLog.log.back().starts_with("Error: MetaStock: "));
        return 0;
    }
    const auto files = folderStore.Files();
    const auto master = files.find("MASTER");
    if (master == files.end()) return 0;
    for (const ms::Security& security : ms::ReadMaster(master->second)) {
        const std::string barFile = barStore.Read("Q-m" + std::to_string(security.interval) + ".txt");
        const std::string dataFile = files.at(ms::DataFileName(security.fileNumber));
        Require(ReadBack(dataFile, security, settings.priceDecimals, settings.withVolume) ==
                TickerLines(barFile, security.symbol, settings.withVolume));
    }
    return 0;
}
