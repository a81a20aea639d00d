#pragma once

// The sample of a file that its layout is decided from: its first lines, split into fields at one separator,
// with the part of them that holds the data and the names of the header above it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/reading/date_time_text.h"
#include "tarnix/conversion.h"

namespace tarnix {

// How much of a file is looked at to decide its layout.
inline constexpr std::size_t kLayoutSampleSize = std::size_t{1} << 20;

struct SampledLine {
    std::int64_t number = 0;  // as the line counter counts it
    std::string_view text;
};

// The lines of a sample one at a time, as the reader splits them. When the sample is not the whole file, its
// last line may be cut off and is left out.
class SampleCursor {
  public:
    SampleCursor(std::string_view sample, bool wholeFile);
    std::optional<SampledLine> Next();

  private:
    std::string_view rest_;
    bool wholeFile_;
    std::int64_t number_ = 0;
};

// All the lines of a sample.
std::vector<SampledLine> SampleLines(std::string_view sample, bool wholeFile);

// What a file in another layout needs beyond its lines.
struct SniffContext {
    std::string_view fileName;                    // its ticker when no column holds one
    DateOrder dateOrder = DateOrder::kAutomatic;  // the user's word; automatic lets the quotes decide
    char decimalMark = 0;                         // the same: '.' or ',', or 0
    CivilDate today;  // ambiguous six-digit dates are read as the latest date not after it
};

struct SampleRow {
    std::int64_t number = 0;
    std::string_view line;
    std::vector<std::string_view> fields;
};

class SampleTable {
  public:
    // The non-blank lines, split at `separator`.
    SampleTable(std::span<const SampledLine> lines, char separator);
    SampleTable(const SampleTable&) = delete;
    SampleTable& operator=(const SampleTable&) = delete;

    char separator() const { return separator_; }
    std::span<const SampleRow> rows() const { return rows_; }
    // The data lines: from the first line that holds a date and a number after it to the end of the sample.
    std::span<const SampleRow> data() const { return data_; }
    // The most fields of a data line.
    std::size_t columnCount() const { return columnCount_; }
    // The names of the header line, when it has the data's field count; else empty.
    std::span<const std::string_view> names() const { return names_; }

    // Finds the data lines; false when there are none, or one of them does not hold the separator.
    bool FindData();
    // The header is the last line before the data that names a price; with another field count than the
    // data it is not used.
    void FindHeader();

    std::string_view FieldOf(const SampleRow& row, int column) const {
        const auto index = static_cast<std::size_t>(column);
        return column >= 0 && index < row.fields.size() ? row.fields[index] : std::string_view();
    }
    // Whether `test` holds for the field of `column` on every data line.
    template <typename Test>
    bool ColumnAll(int column, Test test) const {
        return std::all_of(data_.begin(), data_.end(),
                           [&](const SampleRow& row) { return test(FieldOf(row, column)); });
    }
    bool IsUnnamed(std::size_t column) const { return column >= names_.size() || names_[column].empty(); }

  private:
    // The field itself when it lies in the line, else a copy that lives as long as the table.
    std::string_view Kept(std::string_view field, std::string_view line);

    char separator_;
    std::vector<SampleRow> rows_;
    std::deque<std::string> unquoted_;  // fields whose doubled quotes were undone
    std::span<const SampleRow> data_;
    std::size_t columnCount_ = 0;
    std::span<const std::string_view> names_;
};

}  // namespace tarnix
