// Random quotes from the input's bytes, written in the design layout and in a layout of a real export chosen
// by the same bytes: the layout reading must give the bar files that the design reading of the same quotes
// gives.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "layout_rendering.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    tarnix::test::Chooser chooser(bytes);
    const tarnix::test::RenderedQuotes quotes = tarnix::test::RenderQuotes(chooser);
    const std::string difference = tarnix::test::ReadingDifference(quotes, size % 2 == 0 ? "7" : "240");
    if (difference.empty()) return 0;
    std::fprintf(stderr, "%s\n--- design file:\n%s--- layout file:\n%s\n", difference.c_str(),
                 quotes.design.c_str(), quotes.layout.c_str());
    std::abort();
}
