#include "column_roles.h"

#include <algorithm>

#include "core/layouts/column_names.h"
#include "tarnix/text_case.h"

namespace tarnix {
namespace {

bool ReadsAsVolume(std::string_view text) {
    return ReadLayoutVolume(text, '.') || ReadLayoutVolume(text, ',');
}

bool HoldsLetters(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return IsAsciiLetter(c) || static_cast<unsigned char>(c) >= 0x80; });
}

NamedRole NameOf(const SampleTable& table, std::size_t column) {
    return table.IsUnnamed(column) ? NamedRole::kNone : RoleOfName(table.names()[column]);
}

ColumnRole ColumnRoleOf(NamedRole named) {
    switch (named) {
        case NamedRole::kTicker:
            return ColumnRole::kTicker;
        case NamedRole::kPeriod:
            return ColumnRole::kPeriod;
        case NamedRole::kOpen:
            return ColumnRole::kOpen;
        case NamedRole::kHigh:
            return ColumnRole::kHigh;
        case NamedRole::kLow:
            return ColumnRole::kLow;
        case NamedRole::kClose:
            return ColumnRole::kClose;
        default:
            return ColumnRole::kIgnored;
    }
}

// The first column whose name says `named`, or -1.
int FirstNamed(const SampleTable& table, const QuoteLayout& layout, NamedRole named) {
    for (std::size_t column = 0; column < layout.columns.size(); ++column) {
        if (layout.columns[column] == ColumnRole::kIgnored && NameOf(table, column) == named)
            return static_cast<int>(column);
    }
    return -1;
}

}  // namespace

void AssignNamedRoles(const SampleTable& table, QuoteLayout& layout) {
    for (std::size_t column = 0; column < layout.columns.size(); ++column) {
        const ColumnRole wanted = ColumnRoleOf(NameOf(table, column));
        if (layout.columns[column] == ColumnRole::kIgnored && wanted != ColumnRole::kIgnored &&
            layout.ColumnOf(wanted) < 0)
            layout.columns[column] = wanted;
    }
    const int last = FirstNamed(table, layout, NamedRole::kLast);
    if (layout.ColumnOf(ColumnRole::kClose) < 0 && last >= 0)
        layout.columns[static_cast<std::size_t>(last)] = ColumnRole::kClose;
    int volume = FirstNamed(table, layout, NamedRole::kVolume);
    const int tickVolume = FirstNamed(table, layout, NamedRole::kTickVolume);
    // Tick volume stands in for a volume that is missing or 0 throughout, as MetaTrader writes it for
    // currencies.
    const bool volumeEmpty = volume < 0 || table.ColumnAll(volume, [](std::string_view f) {
        return ReadLayoutVolume(f, '.') == std::int64_t{0};
    });
    if (volumeEmpty && tickVolume >= 0) volume = tickVolume;
    if (volume >= 0) layout.columns[static_cast<std::size_t>(volume)] = ColumnRole::kVolume;
}

void FindTimeColumn(const SampleTable& table, const DateColumn& dates, QuoteLayout& layout) {
    if (dates.forms.front().withTime || dates.forms.front().HasBuiltInTime()) {
        TimeFormFinder finder;
        for (const SampleRow& row : table.data()) {
            const std::string_view field = table.FieldOf(row, dates.column);
            const std::size_t split = field.find_first_of(" \tT", field.find_first_of("0123456789"));
            finder.Add(TrimBlanks(field.substr(split == std::string_view::npos ? field.size() : split + 1)));
        }
        layout.timeForm = finder.Form().value_or(TimeForm{});
        return;
    }
    const auto column = static_cast<std::size_t>(dates.column) + 1;
    if (column >= layout.columns.size() || layout.columns[column] != ColumnRole::kIgnored) return;
    if (table.IsUnnamed(column) && layout.columns.size() < column + 5) return;
    const int c = static_cast<int>(column);
    TimeFormFinder finder;
    for (const SampleRow& row : table.data()) finder.Add(table.FieldOf(row, c));
    const auto form = finder.Form();
    if (!form || !table.ColumnAll(c, [&](std::string_view f) { return ReadTime(f, *form).has_value(); }))
        return;
    layout.columns[column] = ColumnRole::kTime;
    layout.timeForm = *form;
}

void AssignPositionalRoles(const SampleTable& table, int dateColumn, QuoteLayout& layout) {
    std::vector<ColumnRole>& columns = layout.columns;
    const auto free = [&](std::size_t column) {
        return columns[column] == ColumnRole::kIgnored && table.IsUnnamed(column);
    };
    for (std::size_t column = 0; column < static_cast<std::size_t>(dateColumn); ++column) {
        if (!free(column)) continue;
        const int c = static_cast<int>(column);
        if (layout.ColumnOf(ColumnRole::kTicker) < 0 && table.ColumnAll(c, HoldsLetters)) {
            columns[column] = ColumnRole::kTicker;
        } else if (layout.ColumnOf(ColumnRole::kTicker) >= 0 && layout.ColumnOf(ColumnRole::kPeriod) < 0 &&
                   table.ColumnAll(c, [](std::string_view f) { return !f.empty() && f.size() <= 4; })) {
            columns[column] = ColumnRole::kPeriod;
        }
    }
    const int time = layout.ColumnOf(ColumnRole::kTime);
    std::size_t column = static_cast<std::size_t>(std::max(dateColumn, time)) + 1;
    for (const ColumnRole price :
         {ColumnRole::kOpen, ColumnRole::kHigh, ColumnRole::kLow, ColumnRole::kClose}) {
        if (layout.ColumnOf(price) >= 0) continue;
        while (column < columns.size() && !free(column)) ++column;
        if (column == columns.size()) return;
        columns[column++] = price;
    }
    if (layout.ColumnOf(ColumnRole::kVolume) >= 0) return;
    for (; column < columns.size(); ++column) {
        const int c = static_cast<int>(column);
        const bool anyText = !table.ColumnAll(c, [](std::string_view f) { return f.empty(); });
        if (free(column) && anyText && table.ColumnAll(c, ReadsAsVolume)) {
            columns[column] = ColumnRole::kVolume;
            return;
        }
    }
}

bool SettlePrices(const SniffContext& context, QuoteLayout& layout) {
    const bool hasClose = layout.ColumnOf(ColumnRole::kClose) >= 0;
    const int others = (layout.ColumnOf(ColumnRole::kOpen) >= 0) + (layout.ColumnOf(ColumnRole::kHigh) >= 0) +
                       (layout.ColumnOf(ColumnRole::kLow) >= 0);
    layout.onePrice = hasClose && others == 0;
    if (layout.ColumnOf(ColumnRole::kTicker) < 0) {
        const std::string_view name = context.fileName;
        AssignUpperCase(layout.fileTicker, name.substr(0, name.size() >= 4 ? name.size() - 4 : 0));
    }
    return hasClose && (others == 0 || others == 3);
}

}  // namespace tarnix
