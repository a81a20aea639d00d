// Files in other layouts against the design reading: random quotes written both ways give the same bar files.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "layout_rendering.h"

namespace tarnix::test {
namespace {

TEST(LayoutReader, RandomLayoutsGiveTheBarsOfTheDesignLinesOfTheSameQuotes) {
    int failures = 0;
    for (std::uint32_t seed = 1; seed <= 400 && failures < 3; ++seed) {
        Chooser chooser(seed);
        const RenderedQuotes quotes = RenderQuotes(chooser);
        const std::string difference = ReadingDifference(quotes, seed % 2 == 0 ? "7" : "240");
        if (difference.empty()) continue;
        ++failures;
        ADD_FAILURE() << "seed " << seed << ": " << difference << "--- design file " << quotes.fileName
                      << ":\n"
                      << quotes.design << "--- layout file:\n"
                      << quotes.layout;
    }
}

}  // namespace
}  // namespace tarnix::test
