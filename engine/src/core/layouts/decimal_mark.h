#pragma once

// The decimal mark of a sample's prices and volumes.

#include "core/layouts/quote_layout.h"
#include "core/layouts/sample_table.h"

namespace tarnix {

// The first price or volume holding both marks has its mark last; else the first whose only mark is not
// followed by exactly three digits shows it, or one whose mark comes twice groups; else a comma where the
// separator is not one, else a dot.
char DecideDecimalMark(const SampleTable& table, const QuoteLayout& layout);

}  // namespace tarnix
