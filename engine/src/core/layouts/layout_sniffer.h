#pragma once

// Which reading a quote file takes, decided once from a sample of its first lines: the design reading for a
// file whose first data line is in the design's layout, else the layout found by reading the sample.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/layouts/quote_layout.h"
#include "core/reading/date_time_text.h"
#include "tarnix/conversion.h"

namespace tarnix {

// How much of a file is looked at to decide its layout.
inline constexpr std::size_t kLayoutSampleSize = std::size_t{1} << 20;

struct SampledLine {
    std::int64_t number = 0;  // as the line counter counts it
    std::string_view text;
};

// The lines of a sample one at a time, as the reader splits them. When the sample is not the whole file, its
// last line may be cut off and is left out.
class SampleCursor {
  public:
    SampleCursor(std::string_view sample, bool wholeFile);
    std::optional<SampledLine> Next();

  private:
    std::string_view rest_;
    bool wholeFile_;
    std::int64_t number_ = 0;
};

// All the lines of a sample.
std::vector<SampledLine> SampleLines(std::string_view sample, bool wholeFile);

// Whether the file takes the design reading: its first data line (the first of more than 10 characters,
// after the header) is in the design's layout and any header is of the design's kind, or it has none. Only
// the lines up to that one are looked at.
bool TakesDesignReading(std::string_view sample, bool wholeFile);

// What a file in another layout needs beyond its lines.
struct SniffContext {
    std::string_view fileName;  // its ticker when no column holds one
    DateOrder dateOrder = DateOrder::kAutomatic;
    CivilDate today;  // ambiguous six-digit dates are read as the latest date not after it
};

// The layout under which every sampled data line reads, or nothing.
std::optional<QuoteLayout> SniffLayout(std::span<const SampledLine> lines, const SniffContext& context);

// The layout of a file that does not take the design reading, or nothing for the design reading.
std::optional<QuoteLayout> DecideLayout(std::string_view sample, bool wholeFile, const SniffContext& context);

}  // namespace tarnix
