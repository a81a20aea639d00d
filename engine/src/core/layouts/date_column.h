#pragma once

// The date column of a sample and the form its dates are written in.

#include <vector>

#include "core/layouts/sample_table.h"
#include "core/reading/date_time_text.h"

namespace tarnix {

struct DateColumn {
    int column = -1;
    std::vector<DateForm> forms;  // every form under which each of its fields reads, in DateForms() order
};

// The leftmost column whose every field reads as a date under some form; a column of -1 when there is none.
DateColumn FindDateColumn(const SampleTable& table);

// Among the forms under which every date is real: the one the user asked for, then the fewest steps back in
// time per ticker (the ticker in `tickerColumn`, or one for the file); YYMMDD against DDMMYY by the latest
// date nearest to today without passing it; else day first, month first, year first, as DateForms() lists
// them.
DateForm ResolveDateForm(const SampleTable& table, const DateColumn& dates, int tickerColumn,
                         const SniffContext& context);

}  // namespace tarnix
