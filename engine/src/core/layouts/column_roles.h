#pragma once

// What each column of a sample holds besides the date: by its header name first, then by where it stands.

#include "core/layouts/date_column.h"
#include "core/layouts/quote_layout.h"
#include "core/layouts/sample_table.h"

namespace tarnix {

// The roles the header names give; the close falls back to a column named as the last price, the volume to
// the tick volume where the volume is missing or 0 throughout.
void AssignNamedRoles(const SampleTable& table, QuoteLayout& layout);

// The time: within the dates, or the column a header names the time wherever it stands, or the column beside
// the dates when it reads as a time and is not named as a price or a volume. Without a name, four columns
// must be left for the prices.
void FindTimeColumn(const SampleTable& table, const DateColumn& dates, QuoteLayout& layout);

// Columns without a name take their roles from where they stand: before the date a ticker (a column of
// letters) and a period, after the date and time the four prices and then the first numeric column as the
// volume.
void AssignPositionalRoles(const SampleTable& table, int dateColumn, QuoteLayout& layout);

// Whether the prices are four, or a close alone that gives all four; the file's ticker is its name where no
// column holds one.
bool SettlePrices(const SniffContext& context, QuoteLayout& layout);

// On every sampled line the high is the largest and the low the smallest of the four prices. A reading by
// names or by place that breaks this takes the columns that are the largest and smallest throughout as the
// high and the low, where the names tell the open from the close; false when no column is; refuses the file
// when the open and the close cannot be told apart.
bool CheckPricesByContent(const SampleTable& table, QuoteLayout& layout);

}  // namespace tarnix
