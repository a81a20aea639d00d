#pragma once

// Which reading a quote file takes, decided once from a sample of its first lines: the design reading for a
// file whose first data line is in the design's layout, else the layout found by reading the sample. The
// stages of the decision have a file each: sample_table (the lines split into fields), column_names,
// date_column, column_roles and decimal_mark.

#include <optional>
#include <span>
#include <string_view>

#include "core/layouts/design_reading.h"
#include "core/layouts/quote_layout.h"
#include "core/layouts/sample_table.h"

namespace tarnix {

// The layout under which every sampled data line reads, or nothing.
std::optional<QuoteLayout> SniffLayout(std::span<const SampledLine> lines, const SniffContext& context);

// The layout of a file that does not take the design reading, or nothing for the design reading.
std::optional<QuoteLayout> DecideLayout(std::string_view sample, bool wholeFile, const SniffContext& context);

}  // namespace tarnix
