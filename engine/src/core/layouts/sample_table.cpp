#include "sample_table.h"

#include <utility>

#include "core/layouts/column_names.h"
#include "core/layouts/quote_layout.h"
#include "tarnix/text_case.h"

namespace tarnix {
namespace {

constexpr char kCtrlZ = '\x1A';

bool ReadsAsAnyDate(std::string_view text) {
    const auto forms = DateForms();
    return std::any_of(forms.begin(), forms.end(),
                       [&](const DateForm& form) { return ReadDateTime(text, form); });
}

bool ReadsAsNumber(std::string_view text) {
    return ReadLayoutPrice(text, '.') || ReadLayoutPrice(text, ',');
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

SampleTable::SampleTable(std::span<const SampledLine> lines, char separator) : separator_(separator) {
    FieldSplitter splitter(separator);
    for (const SampledLine& line : lines) {
        const std::string_view text = line.number == 1 ? WithoutByteOrderMark(line.text) : line.text;
        if (IsBlankLine(text)) continue;
        SampleRow& row = rows_.emplace_back(SampleRow{line.number, text, {}});
        for (const std::string_view field : splitter.Split(text)) row.fields.push_back(Kept(field, text));
    }
}

std::string_view SampleTable::Kept(std::string_view field, std::string_view line) {
    if (field.data() >= line.data() && field.data() + field.size() <= line.data() + line.size()) return field;
    return unquoted_.emplace_back(field);
}

bool SampleTable::FindData() {
    const auto first = std::find_if(rows_.begin(), rows_.end(),
                                    [](const SampleRow& row) { return LooksLikeData(row.fields); });
    if (first == rows_.end()) return false;
    data_ = std::span<const SampleRow>(first, rows_.end());
    for (const SampleRow& row : data_) {
        if (row.fields.size() < 2) return false;
        columnCount_ = std::max(columnCount_, row.fields.size());
    }
    return true;
}

void SampleTable::FindHeader() {
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

}  // namespace tarnix
