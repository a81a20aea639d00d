#include "layout_sniffer.h"

#include <algorithm>

#include "core/conversion_error.h"
#include "core/layouts/column_roles.h"
#include "core/layouts/date_column.h"
#include "core/layouts/decimal_mark.h"
#include "core/layouts/design_reading.h"

namespace tarnix {
namespace {

// A layout is taken when at most one sampled line in ten fails it (one line of a short sample): the lines
// that fail are then refused by the reading with their line number, instead of the file going to a reading
// that says less. What the user asked for (a date order, a decimal mark) and a date column a header names
// hold whatever the sample says.
bool ReadsEnough(const SampleTable& table, const QuoteLayout& layout, const SniffContext& context,
                 const DateColumn& dates) {
    if (context.dateOrder != DateOrder::kAutomatic || context.decimalMark != 0 || dates.named) return true;
    LayoutLineReader reader(layout);
    QuoteLine quote;
    std::size_t failed = 0;
    for (const SampleRow& row : table.data()) {
        try {
            reader.Read(row.line, false, quote);
        } catch (const ConversionError&) {
            ++failed;
        }
    }
    return failed <= std::max<std::size_t>(1, table.data().size() / 10) && failed < table.data().size();
}

std::optional<QuoteLayout> LayoutOf(const SampleTable& table, const SniffContext& context) {
    QuoteLayout layout;
    layout.separator = table.separator();
    layout.firstDataLine = table.data().front().number;
    layout.columns.assign(table.columnCount(), ColumnRole::kIgnored);
    const DateColumn dates = FindDateColumn(table);
    if (dates.column < 0) return std::nullopt;
    layout.columns[static_cast<std::size_t>(dates.column)] = ColumnRole::kDate;
    AssignNamedRoles(table, layout);
    FindTimeColumn(table, dates, layout);
    AssignPositionalRoles(table, dates.column, layout);
    if (!SettlePrices(context, layout)) return std::nullopt;
    layout.dateForm = ResolveDateForm(table, dates, layout.ColumnOf(ColumnRole::kTicker), context);
    DecideDecimalMark(table, context.decimalMark, layout);
    if (!CheckPricesByContent(table, layout)) return std::nullopt;
    if (!ReadsEnough(table, layout, context, dates)) return std::nullopt;
    return layout;
}

}  // namespace

std::optional<QuoteLayout> SniffLayout(std::span<const SampledLine> lines, const SniffContext& context) {
    for (const char separator : {'\t', ';', '|', ','}) {
        SampleTable table(lines, separator);
        if (!table.FindData()) continue;
        table.FindHeader();
        if (auto layout = LayoutOf(table, context)) return layout;
    }
    return std::nullopt;
}

std::optional<QuoteLayout> DecideLayout(std::string_view sample, bool wholeFile,
                                        const SniffContext& context) {
    if (TakesDesignReading(sample, wholeFile)) return std::nullopt;
    const std::vector<SampledLine> lines = SampleLines(sample, wholeFile);
    if (auto layout = SniffLayout(lines, context)) return layout;
    const auto first =
        std::find_if(lines.begin(), lines.end(), [](const SampledLine& l) { return !IsBlankLine(l.text); });
    if (first == lines.end() || KeepsDesignErrors(first->text)) return std::nullopt;
    // The first line that holds a digit is most likely data: the one the user will look at.
    const auto data = std::find_if(first, lines.end(), [](const SampledLine& l) {
        return l.text.find_first_of("0123456789") != std::string_view::npos;
    });
    const SampledLine& shown = data == lines.end() ? *first : *data;
    throw LineError("no layout Tarnix reads fits this file: " + QuotedText(shown.text), shown.number);
}

}  // namespace tarnix
