// Quote files in other layouts, in memory: a run over one must log its processing line, then the layout line
// when the layout decision finds a layout, then one outcome, and never crash. Random quotes written in random
// layouts are layout_rendering_fuzz's.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "layout_rendering.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckQuoteFile(std::string_view bytes) {
    tarnix::test::rendering::LogLines log;
    tarnix::test::rendering::Convert("data.txt", std::string(bytes), "7", log);
    Require((log.lines.size() == 2 || log.lines.size() == 3) && log.lines[0] == "Processing: data.txt");
    Require(log.lines.size() == 2 || log.lines[1].starts_with("Layout: "));
    Require(log.lines.back() == "Ok" || log.lines.back().starts_with("Error: "));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckQuoteFile(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
