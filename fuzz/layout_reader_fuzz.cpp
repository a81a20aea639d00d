// Quote files in other layouts, in memory. With the first byte even, the other bytes are a quote file: a run
// over it must log its processing line, then the layout line exactly when the layout decision finds a
// layout, then one outcome. With it odd, they choose quotes and a layout to write them in, and the layout
// reading must give the bar files that the design reading of the same quotes gives.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "core/conversion_error.h"
#include "core/layouts/layout_sniffer.h"
#include "layout_rendering.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckQuoteFile(std::string_view bytes) {
    // Today, which the run takes from the clock, only settles between YYMMDD and DDMMYY when both read the
    // file: it does not decide whether a layout is found.
    const tarnix::SniffContext context{"data.txt", tarnix::DateOrder::kAutomatic, 0, {2024, 6, 1}};
    // A sample that refuses itself (open and close that nothing tells apart, no layout that fits) ends the
    // file with its error and no layout line.
    bool found = false;
    try {
        found = tarnix::DecideLayout(bytes, true, context).has_value();
    } catch (const tarnix::ConversionError&) {
    }
    tarnix::test::rendering::LogLines log;
    tarnix::test::rendering::Convert("data.txt", std::string(bytes), "7", log);
    Require(log.lines.size() == (found ? 3u : 2u) && log.lines[0] == "Processing: data.txt");
    Require(!found || log.lines[1].starts_with("Layout: "));
    Require(log.lines.back() == "Ok" || log.lines.back().starts_with("Error: "));
}

void CheckRenderedQuotes(std::span<const std::uint8_t> bytes) {
    tarnix::test::Chooser chooser(bytes);
    const tarnix::test::RenderedQuotes quotes = tarnix::test::RenderQuotes(chooser);
    const std::string difference =
        tarnix::test::ReadingDifference(quotes, bytes.size() % 2 == 0 ? "7" : "240");
    if (difference.empty()) return;
    std::fprintf(stderr, "%s\n--- design file:\n%s--- layout file:\n%s\n", difference.c_str(),
                 quotes.design.c_str(), quotes.layout.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    if (data[0] % 2 == 0) {
        CheckQuoteFile(std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()));
    } else {
        CheckRenderedQuotes(rest);
    }
    return 0;
}
