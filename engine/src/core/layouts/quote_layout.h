#pragma once

// Quote files in the layouts that real exports use (MetaTrader, HistData, Dukascopy, Finam's options, Yahoo,
// Investing, ...): what each column of such a file holds, and the reading of its lines into the quotes that
// the fold takes, as design lines of the same quotes would give them.

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/reading/date_time_text.h"
#include "core/reading/quote_reader.h"

namespace tarnix {

enum class ColumnRole : std::uint8_t {
    kIgnored,
    kTicker,
    kPeriod,
    kDate,  // a date or a date-time
    kTime,
    kOpen,
    kHigh,
    kLow,
    kClose,
    kVolume,
};

struct QuoteLayout {
    char separator = ',';
    std::vector<ColumnRole> columns;  // the role of every column, in order
    DateForm dateForm;
    TimeForm timeForm;                // of the time column, or of the times within the dates
    bool onePrice = false;            // the close column is the only price: open, high and low take it too
    char decimalMark = '.';           // of prices and volumes
    bool decimalMarkAssumed = false;  // the quotes did not settle it: the log says so
    std::int64_t firstDataLine = 1;   // the lines before it are passed over
    std::string fileTicker;           // the ticker of every line when no column holds one

    // The first column of `role`, or -1.
    int ColumnOf(ColumnRole role) const;
};

// The log line that tells how a file is read: "Layout: ';' <DATE> DD/MM/YY, <TIME> HH:MM, <OPEN> ..."
std::string DescribeLayout(const QuoteLayout& layout, bool russian);

// Whether a ticker can be written into a bar record: a comma, a double quote or a control character would
// break the record.
bool IsWritableTicker(std::string_view ticker);

// A text in quotes for a message, cut short when longer than a person reads in a log line.
std::string QuotedText(std::string_view text);

// Where a line of a file stands, as the errors of its reading say it: " (line 31)", " (строка 31)".
std::string LineMention(std::int64_t number, bool russian);

// Splits a line at the separator: blanks around a field are dropped, and a field in double quotes may hold
// the separator, with "" for a quote.
class FieldSplitter {
  public:
    explicit FieldSplitter(char separator) : separator_(separator) {}

    // The first `maxFields` fields of `line`; valid until the next split.
    std::span<const std::string_view> Split(std::string_view line, std::size_t maxFields = SIZE_MAX);

  private:
    std::string_view TakeQuoted(std::string_view& rest);

    char separator_;
    std::vector<std::string_view> fields_;
    // Fields with a "" inside, kept until the next split; a deque, so that a string, and the view of it
    // handed out, stays where it is when another is added.
    std::deque<std::string> unquoted_;
};

// Whether a line holds nothing but blanks.
bool IsBlankLine(std::string_view line);
// The line without a UTF-8 byte-order mark at its start.
std::string_view WithoutByteOrderMark(std::string_view line);

// A price or volume text with `mark` as its decimal mark. The other mark and blanks (also no-break and thin
// spaces) group digits by threes and are dropped. A price follows the float syntax of design lines, with or
// without a currency sign ($, €, £, ¥, ₽) before or after it; a volume is an integer, or a decimal
// rounded to the nearest whole number (halves away from zero), with K, M or B for thousands, millions and
// billions; an empty volume or "-" is 0.
std::optional<float> ReadLayoutPrice(std::string_view text, char mark);
std::optional<std::int64_t> ReadLayoutVolume(std::string_view text, char mark);

// Reads the lines of a file in a layout into quotes, one line at a time.
class LayoutLineReader {
  public:
    explicit LayoutLineReader(const QuoteLayout& layout);

    // Takes the quote of `line` into `quote`, whose date then views this reader's own text. False for a line
    // that is passed over: blanks only, or a real date (and time) with every price empty or "null" (a day
    // without trades). Raises ConversionError for a line short of a column with a role, and for a date, time,
    // price or (with `volumeCounting`) volume that does not read.
    bool Read(std::string_view line, bool volumeCounting, QuoteLine& quote);

  private:
    std::string_view Field(std::span<const std::string_view> fields, int column) const;
    std::int32_t ReadDateField(std::string_view text);
    void SetDate(CivilDate date);
    float ReadPrice(std::string_view text) const;

    const QuoteLayout& layout_;
    FieldSplitter splitter_;
    std::size_t fieldsNeeded_ = 0;
    int ticker_, date_, time_, open_, high_, low_, close_, volume_;
    std::string lastDateText_;  // the date text of the last line, whose date is in dateText_
    std::optional<CivilDate> lastDate_;
    char dateText_[8] = {};
};

}  // namespace tarnix
