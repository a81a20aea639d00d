#include "date_column.h"

#include <algorithm>
#include <limits>
#include <string>
#include <tuple>
#include <unordered_map>

#include "core/layouts/column_names.h"

namespace tarnix {
namespace {

// A year's step between two dates of one ticker where another reading steps by days is the mark of a
// misread date.
constexpr std::int64_t kJumpDays = 360;

NamedRole NameOf(const SampleTable& table, std::size_t column) {
    return table.IsUnnamed(column) ? NamedRole::kNone : RoleOfName(table.names()[column]);
}

// Whether at least `least` fields of the column (and at least one) read under `form`; it stops as soon as
// the answer is known, since the sample may hold a mebibyte of lines.
bool ReadsAtLeast(const SampleTable& table, int column, const DateForm& form, std::size_t least) {
    least = std::max<std::size_t>(least, 1);
    const std::size_t rows = table.data().size();
    if (least > rows) return false;
    std::size_t read = 0;
    std::size_t failed = 0;
    for (const SampleRow& row : table.data()) {
        if (ReadDateTime(table.FieldOf(row, column), form)) {
            if (++read >= least) return true;
        } else if (++failed > rows - least) {
            return false;
        }
    }
    return false;
}

// The forms under which at least `least` fields of the column read, and at least one. A form must read one
// of the first lines to be tried on the rest: a cheap first cut, as a sample may hold a mebibyte of lines.
std::vector<DateForm> FormsReading(const SampleTable& table, int column, std::size_t least) {
    constexpr std::size_t kFirstLines = 64;
    const auto data = table.data();
    const auto first = data.first(std::min(data.size(), kFirstLines));
    std::vector<DateForm> forms;
    for (const DateForm& form : DateForms()) {
        const bool readsEarly = std::any_of(first.begin(), first.end(), [&](const SampleRow& row) {
            return ReadDateTime(table.FieldOf(row, column), form).has_value();
        });
        if (readsEarly && ReadsAtLeast(table, column, form, least)) forms.push_back(form);
    }
    return forms;
}

// Forms that differ from another form only in the order of day, month and year.
bool IsAmbiguous(const DateForm& form) {
    return form.kind == DateKind::kDigits6 ||
           (form.kind == DateKind::kSeparated && (form.shortYear || form.order != DateOrder::kYearMonthDay));
}

// The form that `form` is under the user's order: its sibling in that order where the form's order is
// ambiguous and the sibling exists; a four-digit year first or last settles the order by itself.
DateForm InAskedOrder(const DateForm& form, DateOrder asked) {
    if (asked == DateOrder::kAutomatic || !IsAmbiguous(form)) return form;
    if (form.kind == DateKind::kSeparated && !form.shortYear && asked == DateOrder::kYearMonthDay)
        return form;
    DateForm sibling = form;
    sibling.order = asked;
    const auto forms = DateForms();
    return std::find(forms.begin(), forms.end(), sibling) != forms.end() ? sibling : form;
}

struct Plausibility {
    std::int64_t implausible = 0;  // dates that do not read, lie after tomorrow or jump a year
    std::int64_t disorder = 0;     // steps against the file's own direction of time
    std::int64_t travel = 0;       // the days between successive dates of a ticker, added up
    std::int64_t latestRank = 0;   // six digits: the latest date's distance from today
    auto Key() const { return std::tie(implausible, disorder, travel, latestRank); }
};

class DateReadings {
  public:
    DateReadings(const SampleTable& table, int dateColumn, int tickerColumn, CivilDate today)
        : table_(table), date_(dateColumn), ticker_(tickerColumn), tomorrow_(DayNumber(today) + 1) {}

    Plausibility Of(const DateForm& form) const {
        std::unordered_map<std::string, std::int64_t> lastDay;
        Plausibility p;
        std::int64_t back = 0;
        std::int64_t forward = 0;
        std::int64_t latest = std::numeric_limits<std::int64_t>::min();
        for (const SampleRow& row : table_.data()) {
            const auto read = ReadDateTime(table_.FieldOf(row, date_), form);
            if (!read) {
                ++p.implausible;
                continue;
            }
            const std::int64_t day = DayNumber(read->date);
            latest = std::max(latest, day);
            if (day > tomorrow_) ++p.implausible;
            const auto [entry, added] = lastDay.try_emplace(std::string(table_.FieldOf(row, ticker_)), day);
            if (!added) {
                back += day < entry->second;
                forward += day > entry->second;
                const std::int64_t step = std::max(day, entry->second) - std::min(day, entry->second);
                p.travel += step;
                if (step >= kJumpDays) ++p.implausible;
            }
            entry->second = day;
        }
        p.disorder = std::min(back, forward);
        if (form.kind == DateKind::kDigits6)
            p.latestRank = latest > tomorrow_ ? std::numeric_limits<std::int64_t>::max() : tomorrow_ - latest;
        return p;
    }

  private:
    const SampleTable& table_;
    int date_;
    int ticker_;
    std::int64_t tomorrow_;
};

}  // namespace

DateColumn FindDateColumn(const SampleTable& table) {
    DateColumn dates;
    for (const NamedRole role : {NamedRole::kDate, NamedRole::kTime}) {
        for (std::size_t column = 0; column < table.columnCount(); ++column) {
            if (NameOf(table, column) != role) continue;
            const int c = static_cast<int>(column);
            dates.forms = FormsReading(table, c, 0);
            // A column named the time holds the date only when its fields are dates with times.
            if (role == NamedRole::kTime && dates.forms.empty()) continue;
            // A named date column that reads under no form is still the date column: its first field that
            // does not read fails the file by name.
            if (dates.forms.empty()) dates.forms.push_back(DateForms().front());
            dates.column = c;
            dates.named = true;
            return dates;
        }
    }
    // As many fields as a layout may leave unread (see ReadsEnough) may fail.
    const std::size_t least =
        table.data().size() -
        std::min(table.data().size(), std::max<std::size_t>(1, table.data().size() / 10));
    for (std::size_t column = 0; column < table.columnCount(); ++column) {
        const int c = static_cast<int>(column);
        dates.forms = FormsReading(table, c, least);
        if (dates.forms.empty()) continue;
        dates.column = c;
        return dates;
    }
    return dates;
}

DateForm ResolveDateForm(const SampleTable& table, const DateColumn& dates, int tickerColumn,
                         const SniffContext& context) {
    std::vector<DateForm> forms;
    for (const DateForm& form : dates.forms) {
        const DateForm asked = InAskedOrder(form, context.dateOrder);
        if (std::find(forms.begin(), forms.end(), asked) == forms.end()) forms.push_back(asked);
    }
    const DateReadings readings(table, dates.column, tickerColumn, context.today);
    std::vector<Plausibility> scores;
    scores.reserve(forms.size());
    for (const DateForm& form : forms) scores.push_back(readings.Of(form));
    const auto best =
        std::min_element(scores.begin(), scores.end(),
                         [](const Plausibility& a, const Plausibility& b) { return a.Key() < b.Key(); });
    return forms[static_cast<std::size_t>(best - scores.begin())];
}

}  // namespace tarnix
