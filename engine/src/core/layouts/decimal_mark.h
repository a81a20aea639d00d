#pragma once

// The decimal mark of a sample's prices and volumes.

#include "core/layouts/quote_layout.h"
#include "core/layouts/sample_table.h"

namespace tarnix {

// Sets the layout's decimal mark: the one the user asked for (`asked`, '.' or ','), else the one the prices
// and volumes of every numeric column together show. A field shows its mark when it holds both marks (the
// last is the decimal one), when its only mark is followed by other than three digits, or when a mark comes
// twice (it groups, so the other is the decimal one), or when it is a volume in thousands, millions or
// billions (790.05K); a volume whose only mark is followed by three digits
// shows weakly that the mark groups, as volumes are whole numbers far more often than prices. Strong
// evidence decides over weak, the majority within each; where nothing settles it, a comma when the separator
// is not one and a field holds one, else a dot, and the layout says that the mark is assumed when any field
// holds a mark.
void DecideDecimalMark(const SampleTable& table, char asked, QuoteLayout& layout);

}  // namespace tarnix
