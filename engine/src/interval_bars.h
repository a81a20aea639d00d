#pragma once

// Folding quotes into bars of five intervals at once and writing the bars as records of bar files.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "bar_file.h"
#include "quote_format.h"
#include "quote_reader.h"
#include "tarnix/conversion.h"

namespace tarnix {

// One interval's pending bar and its bar file. An open of 0 means that no bar is pending.
struct IntervalSlot {
    std::int32_t barEnd = 0;  // inclusive end minute; 1440 and more reach into the next day
    std::int32_t interval = 0;
    float open = 0;
    float high = 0;
    float low = 0;
    float close = 0;
    std::int32_t volume = 0;  // sums wrap around
    BarFile file;
    // Taken from the options when the file starts and held to its end, so that no record goes to a bar
    // file that was never created and no created file is left open.
    bool enabled = false;
};

// The line counter text, "Строка: " and the line number, the same in both languages of the log. It is
// shown for every line read, and the number mostly grows by one, so the digits are counted up in place
// rather than written anew.
inline constexpr std::string_view kLineCounterPrefix = "Строка: ";

class LineCounter {
  public:
    LineCounter();
    std::string_view Text(std::int64_t lineNumber);

  private:
    void CountUp();

    std::array<char, kLineCounterPrefix.size() + 20> text_{};
    std::size_t size_ = 0;
    std::int64_t number_ = -1;
};

// Slots 1 to 5: 5, 10, 15 and 60 minutes, then the custom interval.
using IntervalSlots = std::array<IntervalSlot, kSlotCount>;

// The end minute of the bar of `interval` that holds `minute`. Minute 0 belongs to the first bar of the
// day. Raises ConversionError "Division by zero" for an interval of 0.
std::int32_t BarEnd(std::int32_t minute, std::int32_t interval);

// The bar file of entry `name`: its last four characters (the extension) give way to "-m<interval>.txt".
std::string BarFileName(std::string_view directory, std::string_view name, std::int32_t interval);

// The day after a YYYYMMDD date, as YYYYMMDD. Raises ConversionError for a piece that is not an integer
// or a date that does not exist (or whose next day is past the year 9999).
ShortText NextDay(std::string_view date);

// Creates the slot's bar file for input entry `name` and writes its header line.
void OpenBarFile(IntervalSlot& slot, std::string_view name, const ConversionOptions& options);

// Writes the slot's pending bar as a record of the series `ticker`/`date`, marks it written and yields to
// the window. Does nothing when no bar is pending or the slot is disabled.
void WriteBar(IntervalSlot& slot, std::string_view ticker, std::string_view date,
              const ConversionOptions& options, ConversionReport& report);

// The line loop of one input file and the fold of its quotes into the slots.
class BarFolder {
  public:
    BarFolder(IntervalSlots& slots, const ConversionOptions& options, ConversionReport& report);

    // Reads the input to its end, showing the line counter and folding every quote.
    void FoldQuoteFile(QuoteReader& reader);
    void FoldQuote(const QuoteLine& quote);
    // Writes the slot's pending bar with the current series.
    void WriteBar(IntervalSlot& slot);

  private:
    IntervalSlots& slots_;
    const ConversionOptions& options_;
    ConversionReport& report_;
    std::string seriesTicker_;
    std::string seriesDate_;
    QuoteLine quote_;
    LineCounter counter_;
};

}  // namespace tarnix
