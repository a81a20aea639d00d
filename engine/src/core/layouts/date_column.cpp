#include "date_column.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <unordered_map>
#include <utility>

namespace tarnix {
namespace {

DateOrder OrderOf(const DateForm& form) {
    const bool ordered = form.kind == DateKind::kDigits6 || form.kind == DateKind::kSeparated ||
                         form.kind == DateKind::kMonthName;
    return ordered ? form.order : DateOrder::kYearMonthDay;
}

class DateReadings {
  public:
    DateReadings(const SampleTable& table, int dateColumn, int tickerColumn)
        : table_(table), date_(dateColumn), ticker_(tickerColumn) {}

    std::int64_t StepsBack(const DateForm& form) const {
        std::unordered_map<std::string, std::int64_t> lastDay;
        std::int64_t steps = 0;
        for (const SampleRow& row : table_.data()) {
            const std::int64_t day = DayNumber(Read(row, form).date);
            const auto [entry, added] = lastDay.try_emplace(std::string(table_.FieldOf(row, ticker_)), day);
            if (!added && day < entry->second) ++steps;
            entry->second = day;
        }
        return steps;
    }

    CivilDate LatestDate(const DateForm& form) const {
        CivilDate latest;
        for (const SampleRow& row : table_.data()) latest = std::max(latest, Read(row, form).date);
        return latest;
    }

  private:
    DateTime Read(const SampleRow& row, const DateForm& form) const {
        return *ReadDateTime(table_.FieldOf(row, date_), form);
    }

    const SampleTable& table_;
    int date_;
    int ticker_;
};

std::vector<DateForm> FormsInOrder(std::vector<DateForm> forms, DateOrder order) {
    if (order == DateOrder::kAutomatic) return forms;
    std::vector<DateForm> asked;
    std::copy_if(forms.begin(), forms.end(), std::back_inserter(asked),
                 [&](const DateForm& f) { return OrderOf(f) == order; });
    return asked.empty() ? forms : asked;
}

std::vector<DateForm> FewestStepsBack(const std::vector<DateForm>& forms, const DateReadings& readings) {
    if (forms.size() < 2) return forms;
    std::vector<std::int64_t> steps;
    steps.reserve(forms.size());
    for (const DateForm& form : forms) steps.push_back(readings.StepsBack(form));
    const std::int64_t fewest = *std::min_element(steps.begin(), steps.end());
    std::vector<DateForm> kept;
    for (std::size_t i = 0; i < forms.size(); ++i) {
        if (steps[i] == fewest) kept.push_back(forms[i]);
    }
    return kept;
}

}  // namespace

DateColumn FindDateColumn(const SampleTable& table) {
    DateColumn dates;
    for (std::size_t column = 0; column < table.columnCount(); ++column) {
        const int c = static_cast<int>(column);
        for (const DateForm& form : DateForms()) {
            if (table.ColumnAll(c, [&](std::string_view f) { return ReadDateTime(f, form).has_value(); }))
                dates.forms.push_back(form);
        }
        if (dates.forms.empty()) continue;
        dates.column = c;
        return dates;
    }
    return dates;
}

DateForm ResolveDateForm(const SampleTable& table, const DateColumn& dates, int tickerColumn,
                         const SniffContext& context) {
    const DateReadings readings(table, dates.column, tickerColumn);
    const std::vector<DateForm> forms =
        FewestStepsBack(FormsInOrder(dates.forms, context.dateOrder), readings);
    if (forms.size() < 2 || forms.front().kind != DateKind::kDigits6) return forms.front();
    const auto rank = [&](const DateForm& form) {
        const CivilDate latest = readings.LatestDate(form);
        // Not after today comes first, the latest such; after today, the earliest.
        return !(context.today < latest) ? std::pair(0, -DayNumber(latest)) : std::pair(1, DayNumber(latest));
    };
    return *std::min_element(forms.begin(), forms.end(),
                             [&](const DateForm& a, const DateForm& b) { return rank(a) < rank(b); });
}

}  // namespace tarnix
