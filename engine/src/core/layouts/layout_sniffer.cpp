#include "layout_sniffer.h"

#include <algorithm>
#include <array>
#include <deque>
#include <string>
#include <unordered_map>
#include <utility>

#include "core/conversion_error.h"
#include "core/reading/quote_reader.h"
#include "tarnix/text_case.h"

namespace tarnix {
namespace {

constexpr char kCtrlZ = '\x1A';

bool IsAllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsDigit);
}

// The header names of the design: <TICKER>, optionally <PER>, the date, <TIME> and the four prices; more
// may follow.
bool IsDesignHeader(std::string_view header) {
    std::vector<std::string_view> names;
    for (std::size_t start = 0;;) {
        const std::size_t comma = header.find(',', start);
        names.push_back(TrimBlanks(header.substr(start, comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    std::size_t at = 0;
    const auto take = [&](std::initializer_list<std::string_view> allowed) {
        if (at >= names.size() || std::find(allowed.begin(), allowed.end(), names[at]) == allowed.end())
            return false;
        ++at;
        return true;
    };
    if (!take({"<TICKER>"})) return false;
    take({"<PER>"});
    return take({"<DATE>", "<DTYYYYMMDD>"}) && take({"<TIME>"}) && take({"<OPEN>"}) && take({"<HIGH>"}) &&
           take({"<LOW>"}) && take({"<CLOSE>"});
}

// Whether the date and time of a data line sit where the design's positions take them: eight digits of date,
// six of time and a comma after them.
bool HasDesignDateAndTime(std::string_view line, FileLayout layout) {
    const LinePos c0 = FindCommaFrom(line, 1);
    const LinePos start = layout.hasPeriod ? FindCommaFrom(line, c0 + 1) : c0;
    const LinePos cd = FindCommaFrom(line, start + 1);
    const std::string_view date = CopyClamped(line, start + 1, cd - start - 1);
    const std::string_view time = CopyClamped(line, cd + 1, 6);
    return date.size() == 8 && IsAllDigits(date) && time.size() == 6 && IsAllDigits(time) &&
           CopyClamped(line, cd + 7, 1) == ",";
}

// --- Column names
// -------------------------------------------------------------------------------------------

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

// Windows-1251 Cyrillic letters as UTF-8, so that names of either encoding compare alike.
std::string Utf8OfWindows1251(std::string_view text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        unsigned code = byte;
        if (byte >= 0xC0) code = 0x410 + (byte - 0xC0);
        if (byte == 0xA8) code = 0x401;
        if (byte == 0xB8) code = 0x451;
        if (code < 0x80 || code == byte) {
            utf8.push_back(c);
            continue;
        }
        utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
        utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
    return utf8;
}

// Upper case of ASCII and Cyrillic letters in UTF-8.
std::string UpperCaseName(std::string_view text) {
    std::string upper;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte == 0xD0 && next >= 0xB0 && next <= 0xBF) {  // а to п
            upper += "\xD0";
            upper.push_back(static_cast<char>(next - 0x20));
            ++i;
        } else if (byte == 0xD1 && next >= 0x80 && next <= 0x8F) {  // р to я
            upper += "\xD0";
            upper.push_back(static_cast<char>(next + 0x20));
            ++i;
        } else if (byte == 0xD1 && next == 0x91) {  // ё
            upper += "\xD0\x81";
            ++i;
        } else {
            upper.push_back(AsciiUpper(text[i]));
        }
    }
    return upper;
}

// A column name as it is compared: upper case, without <, >, quotes, blanks, dots and underscores.
std::string NormalisedName(std::string_view name) {
    const std::string utf8 = IsValidUtf8(name) ? std::string(name) : Utf8OfWindows1251(name);
    std::string kept;
    for (const char c : utf8) {
        if (std::string_view("<>\"' ._\t").find(c) == std::string_view::npos) kept.push_back(c);
    }
    return UpperCaseName(kept);
}

// What a column's name says it holds. Close, volume and tick volume have their fallbacks, told apart here.
enum class NamedRole { kNone, kTicker, kPeriod, kOpen, kHigh, kLow, kClose, kLast, kVolume, kTickVolume };

NamedRole RoleOfName(std::string_view rawName) {
    struct Names {
        NamedRole role;
        std::initializer_list<std::string_view> names;
    };
    static const std::array<Names, 9> kTable = {{
        {NamedRole::kTicker, {"TICKER", "SYMBOL", "SECID", "SECCODE", "PAIR", "ТИКЕР"}},
        {NamedRole::kPeriod, {"PER", "PERIOD", "INTERVAL", "TIMEFRAME"}},
        {NamedRole::kOpen, {"OPEN", "ОТКР", "ОТКРЫТИЕ"}},
        {NamedRole::kHigh, {"HIGH", "МАКС", "МАКСИМУМ"}},
        {NamedRole::kLow, {"LOW", "МИН", "МИНИМУМ"}},
        {NamedRole::kClose, {"CLOSE", "ЗАКР", "ЗАКРЫТИЕ"}},
        {NamedRole::kLast, {"LAST", "PRICE", "ЦЕНА"}},
        {NamedRole::kVolume, {"VOL", "VOLUME", "ОБЪЕМ", "ОБЪЁМ"}},
        {NamedRole::kTickVolume, {"TICKVOL", "TICKQTY"}},
    }};
    std::string name = NormalisedName(rawName);
    if (name.starts_with("BID") && name.size() > 3) name.erase(0, 3);  // bidopen is the open
    for (const Names& entry : kTable) {
        if (std::find(entry.names.begin(), entry.names.end(), name) != entry.names.end()) return entry.role;
    }
    return NamedRole::kNone;
}

bool IsPriceName(NamedRole role) {
    return role >= NamedRole::kOpen && role <= NamedRole::kLast;
}

// --- Sniffing
// -----------------------------------------------------------------------------------------------

struct Row {
    std::int64_t number = 0;
    std::string_view line;
    std::vector<std::string_view> fields;
};

bool ReadsAsAnyDate(std::string_view text) {
    const auto forms = DateForms();
    return std::any_of(forms.begin(), forms.end(),
                       [&](const DateForm& form) { return ReadDateTime(text, form); });
}

bool ReadsAsNumber(std::string_view text) {
    return ReadLayoutPrice(text, '.') || ReadLayoutPrice(text, ',');
}

bool ReadsAsVolume(std::string_view text) {
    return ReadLayoutVolume(text, '.') || ReadLayoutVolume(text, ',');
}

bool HoldsLetters(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return IsAsciiLetter(c) || static_cast<unsigned char>(c) >= 0x80; });
}

// A line that a date (or date-time) and, after it, a number make a data line.
bool LooksLikeData(const std::vector<std::string_view>& fields) {
    if (fields.size() < 2) return false;  // the separator occurs in every data line
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!ReadsAsAnyDate(fields[i])) continue;
        return std::any_of(fields.begin() + static_cast<std::ptrdiff_t>(i) + 1, fields.end(),
                           [](std::string_view f) { return ReadsAsNumber(f); });
    }
    return false;
}

DateOrder OrderOf(const DateForm& form) {
    const bool ordered = form.kind == DateKind::kDigits6 || form.kind == DateKind::kSeparated ||
                         form.kind == DateKind::kMonthName;
    return ordered ? form.order : DateOrder::kYearMonthDay;
}

class Sniffer {
  public:
    Sniffer(std::span<const SampledLine> lines, const SniffContext& context, char separator)
        : context_(context), separator_(separator) {
        FieldSplitter splitter(separator);
        for (const SampledLine& line : lines) {
            const std::string_view text = line.number == 1 ? WithoutByteOrderMark(line.text) : line.text;
            if (IsBlankLine(text)) continue;
            Row& row = rows_.emplace_back(Row{line.number, text, {}});
            for (const std::string_view field : splitter.Split(text)) row.fields.push_back(Kept(field, text));
        }
    }

    std::optional<QuoteLayout> Layout();

  private:
    // The field itself when it lies in the line, else a copy that lives as long as the sniffer.
    std::string_view Kept(std::string_view field, std::string_view line) {
        if (field.data() >= line.data() && field.data() + field.size() <= line.data() + line.size())
            return field;
        return unquoted_.emplace_back(field);
    }

    std::string_view FieldOf(const Row& row, int column) const {
        const auto index = static_cast<std::size_t>(column);
        return column >= 0 && index < row.fields.size() ? std::string_view(row.fields[index])
                                                        : std::string_view();
    }
    template <typename Test>
    bool ColumnAll(int column, Test test) const {
        return std::all_of(data_.begin(), data_.end(),
                           [&](const Row& row) { return test(FieldOf(row, column)); });
    }

    bool FindData();
    void FindHeader();
    bool FindDateColumn();
    void AssignNamedRoles();
    void FindTimeColumn();
    void AssignPositionalRoles();
    bool SettlePrices();
    void ResolveDateForm();
    std::int64_t StepsBack(const DateForm& form) const;
    CivilDate LatestDate(const DateForm& form) const;
    void DecideDecimalMark();
    bool EveryLineReads() const;

    NamedRole NameOf(std::size_t column) const {
        return column < names_.size() ? RoleOfName(names_[column]) : NamedRole::kNone;
    }
    bool IsUnnamed(std::size_t column) const { return column >= names_.size() || names_[column].empty(); }

    const SniffContext& context_;
    char separator_;
    std::vector<Row> rows_;
    std::deque<std::string> unquoted_;  // fields whose doubled quotes were undone
    std::span<const Row> data_;
    std::span<const std::string_view> names_;
    std::vector<DateForm> dateForms_;
    QuoteLayout layout_;
    int date_ = -1;
};

std::optional<QuoteLayout> Sniffer::Layout() {
    if (!FindData()) return std::nullopt;
    FindHeader();
    if (!FindDateColumn()) return std::nullopt;
    AssignNamedRoles();
    FindTimeColumn();
    AssignPositionalRoles();
    if (!SettlePrices()) return std::nullopt;
    ResolveDateForm();
    DecideDecimalMark();
    if (!EveryLineReads()) return std::nullopt;
    return layout_;
}

// The data start at the first line that holds a date and a number after it; each line from there on must
// hold the separator.
bool Sniffer::FindData() {
    const auto first =
        std::find_if(rows_.begin(), rows_.end(), [](const Row& row) { return LooksLikeData(row.fields); });
    if (first == rows_.end()) return false;
    data_ = std::span<const Row>(first, rows_.end());
    layout_.separator = separator_;
    layout_.firstDataLine = first->number;
    std::size_t columns = 0;
    for (const Row& row : data_) {
        if (row.fields.size() < 2) return false;
        columns = std::max(columns, row.fields.size());
    }
    layout_.columns.assign(columns, ColumnRole::kIgnored);
    return true;
}

// The header is the last line before the data that names a price; with another field count than the data it
// is not used.
void Sniffer::FindHeader() {
    const auto dataStart = static_cast<std::size_t>(data_.data() - rows_.data());
    for (std::size_t i = dataStart; i-- > 0;) {
        const std::vector<std::string_view>& fields = rows_[i].fields;
        if (std::none_of(fields.begin(), fields.end(),
                         [](std::string_view f) { return IsPriceName(RoleOfName(f)); }))
            continue;
        if (fields.size() == data_.front().fields.size()) names_ = fields;
        return;
    }
}

// The leftmost column whose every field reads as a date under some form.
bool Sniffer::FindDateColumn() {
    for (std::size_t column = 0; column < layout_.columns.size(); ++column) {
        const int c = static_cast<int>(column);
        for (const DateForm& form : DateForms()) {
            if (ColumnAll(c, [&](std::string_view f) { return ReadDateTime(f, form).has_value(); }))
                dateForms_.push_back(form);
        }
        if (dateForms_.empty()) continue;
        date_ = c;
        layout_.columns[column] = ColumnRole::kDate;
        return true;
    }
    return false;
}

void Sniffer::AssignNamedRoles() {
    int volume = -1;
    int tickVolume = -1;
    int last = -1;
    for (std::size_t column = 0; column < layout_.columns.size(); ++column) {
        ColumnRole& role = layout_.columns[column];
        if (role != ColumnRole::kIgnored) continue;
        const int c = static_cast<int>(column);
        const auto claim = [&](ColumnRole wanted) {
            if (layout_.ColumnOf(wanted) < 0) role = wanted;
        };
        switch (NameOf(column)) {
            case NamedRole::kTicker:
                claim(ColumnRole::kTicker);
                break;
            case NamedRole::kPeriod:
                claim(ColumnRole::kPeriod);
                break;
            case NamedRole::kOpen:
                claim(ColumnRole::kOpen);
                break;
            case NamedRole::kHigh:
                claim(ColumnRole::kHigh);
                break;
            case NamedRole::kLow:
                claim(ColumnRole::kLow);
                break;
            case NamedRole::kClose:
                claim(ColumnRole::kClose);
                break;
            case NamedRole::kLast:
                if (last < 0) last = c;
                break;
            case NamedRole::kVolume:
                if (volume < 0) volume = c;
                break;
            case NamedRole::kTickVolume:
                if (tickVolume < 0) tickVolume = c;
                break;
            case NamedRole::kNone:
                break;
        }
    }
    if (layout_.ColumnOf(ColumnRole::kClose) < 0 && last >= 0)
        layout_.columns[static_cast<std::size_t>(last)] = ColumnRole::kClose;
    // Tick volume stands in for a volume that is missing or 0 throughout, as MetaTrader writes it for
    // currencies.
    const bool volumeEmpty = volume < 0 || ColumnAll(volume, [](std::string_view f) {
                                 return ReadLayoutVolume(f, '.') == std::int64_t{0};
                             });
    if (volumeEmpty && tickVolume >= 0) volume = tickVolume;
    if (volume >= 0) layout_.columns[static_cast<std::size_t>(volume)] = ColumnRole::kVolume;
}

// Beside a date without its time: the next column, when it reads as a time and is not named as a price or a
// volume. Without a name, four columns must be left for the prices.
void Sniffer::FindTimeColumn() {
    if (dateForms_.front().withTime || dateForms_.front().HasBuiltInTime()) {
        TimeFormFinder finder;
        for (const Row& row : data_) {
            const std::string_view field = FieldOf(row, date_);
            const std::size_t split = field.find_first_of(" \tT", field.find_first_of("0123456789"));
            finder.Add(TrimBlanks(field.substr(split == std::string_view::npos ? field.size() : split + 1)));
        }
        layout_.timeForm = finder.Form().value_or(TimeForm{});
        return;
    }
    const auto column = static_cast<std::size_t>(date_) + 1;
    if (column >= layout_.columns.size() || layout_.columns[column] != ColumnRole::kIgnored) return;
    if (IsUnnamed(column) && layout_.columns.size() < column + 5) return;
    TimeFormFinder finder;
    for (const Row& row : data_) finder.Add(FieldOf(row, static_cast<int>(column)));
    const auto form = finder.Form();
    if (!form || !ColumnAll(static_cast<int>(column),
                            [&](std::string_view f) { return ReadTime(f, *form).has_value(); }))
        return;
    layout_.columns[column] = ColumnRole::kTime;
    layout_.timeForm = *form;
}

// Columns without a name take their roles from where they stand: before the date a ticker (a column of
// letters) and a period, after the date and time the four prices and then the first numeric column as the
// volume.
void Sniffer::AssignPositionalRoles() {
    std::vector<ColumnRole>& columns = layout_.columns;
    const auto free = [&](std::size_t column) {
        return columns[column] == ColumnRole::kIgnored && IsUnnamed(column);
    };
    const auto dateColumn = static_cast<std::size_t>(date_);
    for (std::size_t column = 0; column < dateColumn; ++column) {
        if (!free(column)) continue;
        const int c = static_cast<int>(column);
        if (layout_.ColumnOf(ColumnRole::kTicker) < 0 && ColumnAll(c, HoldsLetters)) {
            columns[column] = ColumnRole::kTicker;
        } else if (layout_.ColumnOf(ColumnRole::kTicker) >= 0 && layout_.ColumnOf(ColumnRole::kPeriod) < 0 &&
                   ColumnAll(c, [](std::string_view f) { return !f.empty() && f.size() <= 4; })) {
            columns[column] = ColumnRole::kPeriod;
        }
    }
    const int time = layout_.ColumnOf(ColumnRole::kTime);
    std::size_t column = static_cast<std::size_t>(std::max(date_, time)) + 1;
    for (const ColumnRole price :
         {ColumnRole::kOpen, ColumnRole::kHigh, ColumnRole::kLow, ColumnRole::kClose}) {
        if (layout_.ColumnOf(price) >= 0) continue;
        while (column < columns.size() && !free(column)) ++column;
        if (column == columns.size()) return;
        columns[column++] = price;
    }
    if (layout_.ColumnOf(ColumnRole::kVolume) >= 0) return;
    for (; column < columns.size(); ++column) {
        const int c = static_cast<int>(column);
        const bool anyText = !ColumnAll(c, [](std::string_view f) { return f.empty(); });
        if (free(column) && anyText && ColumnAll(c, ReadsAsVolume)) {
            columns[column] = ColumnRole::kVolume;
            return;
        }
    }
}

// Four prices, or a close alone that gives all four.
bool Sniffer::SettlePrices() {
    const bool hasClose = layout_.ColumnOf(ColumnRole::kClose) >= 0;
    const int others = (layout_.ColumnOf(ColumnRole::kOpen) >= 0) +
                       (layout_.ColumnOf(ColumnRole::kHigh) >= 0) + (layout_.ColumnOf(ColumnRole::kLow) >= 0);
    layout_.onePrice = hasClose && others == 0;
    if (layout_.ColumnOf(ColumnRole::kTicker) < 0) {
        const std::string_view name = context_.fileName;
        AssignUpperCase(layout_.fileTicker, name.substr(0, name.size() >= 4 ? name.size() - 4 : 0));
    }
    return hasClose && (others == 0 || others == 3);
}

std::int64_t Sniffer::StepsBack(const DateForm& form) const {
    const int ticker = layout_.ColumnOf(ColumnRole::kTicker);
    std::unordered_map<std::string, std::int64_t> lastDay;
    std::int64_t steps = 0;
    for (const Row& row : data_) {
        const auto value = ReadDateTime(FieldOf(row, date_), form);
        const std::int64_t day = DayNumber(value->date);
        const auto [entry, added] = lastDay.try_emplace(std::string(FieldOf(row, ticker)), day);
        if (!added && day < entry->second) ++steps;
        entry->second = day;
    }
    return steps;
}

CivilDate Sniffer::LatestDate(const DateForm& form) const {
    CivilDate latest;
    for (const Row& row : data_) latest = std::max(latest, ReadDateTime(FieldOf(row, date_), form)->date);
    return latest;
}

// Among the forms under which every date is real: the one the user asked for, then the fewest steps back in
// time per ticker; YYMMDD against DDMMYY by the latest date nearest to today without passing it; else day
// first, month first, year first, as DateForms() lists them.
void Sniffer::ResolveDateForm() {
    std::vector<DateForm> forms = dateForms_;
    if (context_.dateOrder != DateOrder::kAutomatic) {
        std::vector<DateForm> asked;
        std::copy_if(forms.begin(), forms.end(), std::back_inserter(asked),
                     [&](const DateForm& f) { return OrderOf(f) == context_.dateOrder; });
        if (!asked.empty()) forms = asked;
    }
    if (forms.size() > 1) {
        std::vector<std::int64_t> steps;
        steps.reserve(forms.size());
        for (const DateForm& form : forms) steps.push_back(StepsBack(form));
        const std::int64_t fewest = *std::min_element(steps.begin(), steps.end());
        std::vector<DateForm> kept;
        for (std::size_t i = 0; i < forms.size(); ++i) {
            if (steps[i] == fewest) kept.push_back(forms[i]);
        }
        forms = kept;
    }
    layout_.dateForm = forms.front();
    if (forms.size() < 2 || forms.front().kind != DateKind::kDigits6) return;
    const auto rank = [&](const DateForm& form) {
        const CivilDate latest = LatestDate(form);
        // Not after today comes first, the latest such; after today, the earliest.
        return !(context_.today < latest) ? std::pair(0, -DayNumber(latest))
                                          : std::pair(1, DayNumber(latest));
    };
    layout_.dateForm = *std::min_element(
        forms.begin(), forms.end(), [&](const DateForm& a, const DateForm& b) { return rank(a) < rank(b); });
}

// The first price or volume holding both marks has its mark last; else the first whose only mark is not
// followed by exactly three digits shows it, or one whose mark comes twice groups; else a comma where the
// separator is not one, else a dot.
void Sniffer::DecideDecimalMark() {
    std::vector<int> columns;
    for (std::size_t c = 0; c < layout_.columns.size(); ++c) {
        const ColumnRole role = layout_.columns[c];
        if (role >= ColumnRole::kOpen && role <= ColumnRole::kVolume) columns.push_back(static_cast<int>(c));
    }
    const auto forEachField = [&](auto decide) -> std::optional<char> {
        for (const Row& row : data_) {
            for (const int c : columns) {
                if (const auto mark = decide(FieldOf(row, c))) return mark;
            }
        }
        return std::nullopt;
    };
    const auto lastOfBoth = [](std::string_view f) -> std::optional<char> {
        const std::size_t dot = f.rfind('.');
        const std::size_t comma = f.rfind(',');
        if (dot == std::string_view::npos || comma == std::string_view::npos) return std::nullopt;
        return dot > comma ? '.' : ',';
    };
    const auto shown = [](std::string_view f) -> std::optional<char> {
        const std::size_t at = f.find_first_of(".,");
        if (at == std::string_view::npos) return std::nullopt;
        const char mark = f[at];
        if (f.find_first_of(".,", at + 1) != std::string_view::npos) return mark == '.' ? ',' : '.';
        std::size_t digits = 0;
        while (at + 1 + digits < f.size() && f[at + 1 + digits] >= '0' && f[at + 1 + digits] <= '9') ++digits;
        if (digits == 3) return std::nullopt;
        return mark;
    };
    const auto comma = [&](std::string_view f) -> std::optional<char> {
        if (separator_ != ',' && f.find(',') != std::string_view::npos) return ',';
        return std::nullopt;
    };
    layout_.decimalMark =
        forEachField(lastOfBoth).value_or(forEachField(shown).value_or(forEachField(comma).value_or('.')));
}

bool Sniffer::EveryLineReads() const {
    LayoutLineReader reader(layout_);
    QuoteLine quote;
    try {
        for (const Row& row : data_) reader.Read(row.line, false, quote);
    } catch (const ConversionError&) {
        return false;
    }
    return true;
}

}  // namespace

SampleCursor::SampleCursor(std::string_view sample, bool wholeFile) : rest_(sample), wholeFile_(wholeFile) {
    if (const std::size_t ctrlZ = rest_.find(kCtrlZ); ctrlZ != std::string_view::npos) {
        rest_ = rest_.substr(0, ctrlZ);
        wholeFile_ = true;
    }
}

std::optional<SampledLine> SampleCursor::Next() {
    if (rest_.empty()) return std::nullopt;
    const std::size_t end = rest_.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        const std::string_view last = std::exchange(rest_, std::string_view());
        if (!wholeFile_) return std::nullopt;
        return SampledLine{++number_, last};
    }
    const SampledLine line{++number_, rest_.substr(0, end)};
    rest_.remove_prefix(end + (rest_.compare(end, 2, "\r\n") == 0 ? 2 : 1));
    return line;
}

std::vector<SampledLine> SampleLines(std::string_view sample, bool wholeFile) {
    std::vector<SampledLine> lines;
    SampleCursor cursor(sample, wholeFile);
    while (const auto line = cursor.Next()) lines.push_back(*line);
    return lines;
}

bool TakesDesignReading(std::string_view sample, bool wholeFile) {
    SampleCursor cursor(sample, wholeFile);
    const std::optional<SampledLine> first = cursor.Next();
    if (!first) return true;
    const FileLayout layout = LayoutOfFirstLine(first->text);
    std::optional<SampledLine> data = layout.hasHeader ? cursor.Next() : first;
    while (data && data->text.size() <= 10) data = cursor.Next();
    if (!data) return true;
    if (!HasDesignDateAndTime(data->text, layout)) return false;
    try {
        QuoteLine quote;
        SplitQuoteLine(data->text, layout, true, DecimalMarks{}, quote);
    } catch (const DesignValueError&) {
        // A value that does not read in a line of the design's shape: the design reading refuses it by name.
    } catch (const ConversionError&) {
        return false;
    }
    return !layout.hasHeader || IsDesignHeader(first->text);
}

std::optional<QuoteLayout> SniffLayout(std::span<const SampledLine> lines, const SniffContext& context) {
    for (const char separator : {'\t', ';', '|', ','}) {
        if (auto layout = Sniffer(lines, context, separator).Layout()) return layout;
    }
    return std::nullopt;
}

std::optional<QuoteLayout> DecideLayout(std::string_view sample, bool wholeFile,
                                        const SniffContext& context) {
    if (TakesDesignReading(sample, wholeFile)) return std::nullopt;
    return SniffLayout(SampleLines(sample, wholeFile), context);
}

}  // namespace tarnix
