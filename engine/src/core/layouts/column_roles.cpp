#include "column_roles.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string>

#include "core/conversion_error.h"
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

// The form most of the fields are written in, colons or digits; the fields of the other form then fail by
// name when they are read.
TimeForm MajorityTimeForm(const SampleTable& table, int column) {
    TimeFormFinder withColons(true);
    TimeFormFinder digits(true);
    std::size_t colonCount = 0;
    for (const SampleRow& row : table.data()) {
        const std::string_view field = table.FieldOf(row, column);
        const bool colon = field.find(':') != std::string_view::npos;
        colonCount += colon;
        (colon ? withColons : digits).Add(field);
    }
    const TimeFormFinder& most = colonCount * 2 >= table.data().size() ? withColons : digits;
    return most.Form().value_or(TimeForm{});
}

// A column a header names the time is the time column wherever it stands.
bool TakeNamedTimeColumn(const SampleTable& table, QuoteLayout& layout) {
    for (std::size_t column = 0; column < layout.columns.size(); ++column) {
        if (layout.columns[column] != ColumnRole::kIgnored || NameOf(table, column) != NamedRole::kTime)
            continue;
        layout.columns[column] = ColumnRole::kTime;
        layout.timeForm = MajorityTimeForm(table, static_cast<int>(column));
        return true;
    }
    return false;
}

// A file without a header whose dates are followed by exactly two numbers holds ticks: a price and a volume.
bool TakeTicks(const SampleTable& table, std::size_t first, QuoteLayout& layout) {
    if (!table.names().empty() || first + 2 != layout.columns.size()) return false;
    const auto price = static_cast<int>(first);
    if (!table.ColumnAll(
            price, [](std::string_view f) { return ReadLayoutPrice(f, '.') || ReadLayoutPrice(f, ','); }) ||
        !table.ColumnAll(price + 1, ReadsAsVolume))
        return false;
    layout.columns[first] = ColumnRole::kClose;
    layout.columns[first + 1] = ColumnRole::kVolume;
    return true;
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
            const auto time = TimeTextOf(table.FieldOf(row, dates.column), dates.forms.front());
            if (time) finder.Add(*time);
        }
        layout.timeForm = finder.Form().value_or(TimeForm{});
        return;
    }
    if (TakeNamedTimeColumn(table, layout)) return;
    const auto column = static_cast<std::size_t>(dates.column) + 1;
    if (column >= layout.columns.size() || layout.columns[column] != ColumnRole::kIgnored) return;
    if (NameOf(table, column) != NamedRole::kNone) return;
    if (table.IsUnnamed(column) && layout.columns.size() < column + 5) return;
    const int c = static_cast<int>(column);
    // A time has its colons or at least three digits; a price of one or two digits is not one.
    if (!table.ColumnAll(c, [](std::string_view f) {
            return f.find(':') != f.npos || std::count_if(f.begin(), f.end(), IsDigit) >= 3;
        }))
        return;
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
    // A named column never takes a role by place: a name Tarnix does not know may be an ask price or an
    // indicator.
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
    if (TakeTicks(table, column, layout)) return;
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

namespace {

constexpr std::array<ColumnRole, 4> kPrices = {ColumnRole::kOpen, ColumnRole::kHigh, ColumnRole::kLow,
                                               ColumnRole::kClose};

// The four prices of every sampled line that reads, in kPrices order.
std::vector<std::array<float, 4>> SampledPrices(const SampleTable& table, const QuoteLayout& layout) {
    std::vector<std::array<float, 4>> lines;
    for (const SampleRow& row : table.data()) {
        std::array<float, 4> prices{};
        bool read = true;
        for (std::size_t i = 0; i < kPrices.size() && read; ++i) {
            const auto price =
                ReadLayoutPrice(table.FieldOf(row, layout.ColumnOf(kPrices[i])), layout.decimalMark);
            read = price.has_value();
            prices[i] = price.value_or(0);
        }
        if (read) lines.push_back(prices);
    }
    return lines;
}

// The places among the four whose price is the largest (or, with `highest` false, the smallest) on every
// line.
std::vector<std::size_t> Extremes(const std::vector<std::array<float, 4>>& lines, bool highest) {
    std::vector<std::size_t> places;
    for (std::size_t i = 0; i < kPrices.size(); ++i) {
        const bool always = std::all_of(lines.begin(), lines.end(), [&](const std::array<float, 4>& p) {
            return highest ? p[i] == *std::max_element(p.begin(), p.end())
                           : p[i] == *std::min_element(p.begin(), p.end());
        });
        if (always) places.push_back(i);
    }
    return places;
}

std::string ColumnName(const SampleTable& table, int column) {
    const auto index = static_cast<std::size_t>(column);
    return table.IsUnnamed(index) ? "column " + std::to_string(column + 1)
                                  : "'" + std::string(table.names()[index]) + "'";
}

}  // namespace

bool CheckPricesByContent(const SampleTable& table, QuoteLayout& layout) {
    if (layout.onePrice) return true;
    const auto lines = SampledPrices(table, layout);
    const auto highs = Extremes(lines, true);
    const auto lows = Extremes(lines, false);
    const auto holds = [](const std::vector<std::size_t>& places, std::size_t place) {
        return std::find(places.begin(), places.end(), place) != places.end();
    };
    const bool byPlaceHolds = holds(highs, 1) && holds(lows, 2);
    if (!byPlaceHolds && (highs.size() != 1 || lows.size() != 1 || highs[0] == lows[0])) return false;
    const std::size_t high = byPlaceHolds ? 1 : highs[0];
    const std::size_t low = byPlaceHolds ? 2 : lows[0];
    std::array<int, 4> columns{};
    for (std::size_t i = 0; i < kPrices.size(); ++i) columns[i] = layout.ColumnOf(kPrices[i]);
    std::vector<int> others;
    for (std::size_t i = 0; i < kPrices.size(); ++i) {
        if (i != high && i != low) others.push_back(columns[i]);
    }
    const auto named = [&](int column, std::initializer_list<NamedRole> roles) {
        const NamedRole role = NameOf(table, static_cast<std::size_t>(column));
        return std::find(roles.begin(), roles.end(), role) != roles.end();
    };
    const bool firstIsOpen =
        named(others[0], {NamedRole::kOpen}) || named(others[1], {NamedRole::kClose, NamedRole::kLast});
    const bool secondIsOpen =
        named(others[1], {NamedRole::kOpen}) || named(others[0], {NamedRole::kClose, NamedRole::kLast});
    // Without a header the design's order holds: the open before the close.
    const bool byPlace = byPlaceHolds && table.names().empty();
    if (firstIsOpen == secondIsOpen && !byPlace)
        throw ConversionError("cannot tell the open from the close in " + ColumnName(table, others[0]) +
                              " and " + ColumnName(table, others[1]) +
                              ": a header naming them would settle it");
    const bool firstOpens = firstIsOpen || (byPlace && !secondIsOpen);
    const std::array<int, 4> settled = {others[firstOpens ? 0 : 1], columns[high], columns[low],
                                        others[firstOpens ? 1 : 0]};
    for (std::size_t i = 0; i < kPrices.size(); ++i)
        layout.columns[static_cast<std::size_t>(settled[i])] = kPrices[i];
    return true;
}

}  // namespace tarnix
