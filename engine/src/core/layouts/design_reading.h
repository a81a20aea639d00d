#pragma once

// Whether a quote file is in the design's own layout, which the design reading takes as it always has.

#include <string_view>

namespace tarnix {

// Whether the file takes the design reading: its first data line (the first of more than 10 characters,
// after the header) is in the design's layout and any header is of the design's kind, or it has none. Only
// the lines up to that one are looked at.
bool TakesDesignReading(std::string_view sample, bool wholeFile);

}  // namespace tarnix
