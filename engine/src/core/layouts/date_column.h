#pragma once

// The date column of a sample and the form its dates are written in.

#include <vector>

#include "core/layouts/sample_table.h"
#include "core/reading/date_time_text.h"

namespace tarnix {

struct DateColumn {
    int column = -1;
    bool named = false;           // a header names it the date: it is the date column whatever it holds
    std::vector<DateForm> forms;  // the forms that read its fields, in DateForms() order
};

// The column a header names the date (or the time, when its fields are dates with times); else the leftmost
// column whose fields read as dates under some form, all but one in ten (one of a short sample). A column of
// -1 when there is none.
DateColumn FindDateColumn(const SampleTable& table);

// The form the user's date order asks for, else the most plausible one: the fewest dates that do not read,
// lie after tomorrow or jump a year from the ticker's date before; then the dates most in order (either
// way), then the fewest days between successive dates; then, for six digits, the latest date nearest to
// today without passing it; else day first, month first, year first, as DateForms() lists them.
DateForm ResolveDateForm(const SampleTable& table, const DateColumn& dates, int tickerColumn,
                         const SniffContext& context);

}  // namespace tarnix
