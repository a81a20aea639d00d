#pragma once

// Whether a quote file is in the design's own layout, which the design reading takes as it always has.

#include <string_view>

namespace tarnix {

// Whether the file takes the design reading: its first data line (the first of more than 10 characters,
// after the header) is in the design's layout and any header is of the design's kind, or it has none. Only
// the lines up to that one are looked at.
bool TakesDesignReading(std::string_view sample, bool wholeFile);

// Whether a file that no layout reads keeps the design reading's own errors: its first line is a header of
// the design's kind, or a headerless line of at least the design's seven comma-separated fields.
bool KeepsDesignErrors(std::string_view firstLine);

}  // namespace tarnix
