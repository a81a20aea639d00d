#pragma once

// Folding quotes into bars of five intervals at once and writing the bars as records of bar files.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/bars/quote_format.h"
#include "core/byte_streams.h"
#include "core/layouts/quote_layout.h"
#include "core/reading/number_syntax.h"
#include "core/reading/quote_reader.h"
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
    std::int64_t volume = 0;  // sums wrap around, far beyond any real volume
    std::unique_ptr<RecordSink> file;
    // Taken from the options when the file starts and held to its end, so that no record goes to a bar
    // file that was never created and no created file is left open.
    bool enabled = false;
    // The text of the slot's records up to their time, for the series and options of recordHeadKey; the
    // string has room past the text, so that it is copied in whole blocks.
    std::string recordHead;
    std::size_t recordHeadSize = 0;
    std::uint64_t recordHeadKey = ~std::uint64_t{0};
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

// The header line of a bar file, with its CR LF, as the options stand now.
std::string_view BarFileHeader(const ConversionOptions& options);

// The line loop of one input file and the fold of its quotes into the slots. Prices are read and written
// with `marks`.
class BarFolder {
  public:
    BarFolder(IntervalSlots& slots, const ConversionOptions& options, ConversionReport& report,
              DecimalMarks marks);

    // Reads the input to its end, showing the line counter and folding every quote.
    void FoldQuoteFile(QuoteReader& reader);
    // The same for a file in another layout: the lines before its data are passed over, and every line after
    // them is read as `layout` says; a line that does not read ends the file with an error that names it.
    void FoldLayoutFile(QuoteReader& reader, const QuoteLayout& layout);
    void FoldQuote(const QuoteLine& quote);
    // Writes the slot's pending bar as a record of the current series, marks it written and yields to the
    // window. Does nothing when no bar is pending or the slot is disabled.
    void WriteBar(IntervalSlot& slot);

  private:
    // FoldQuote itself, inlined into both line loops, each of which runs it for every line.
    [[gnu::always_inline]] inline void Fold(const QuoteLine& quote);
    // The record of the slot's bar, ending at `end` on `date`; valid until the next record is composed.
    std::string_view ComposeRecord(IntervalSlot& slot, std::string_view date, std::int32_t end);
    // The record's text up to its time, kept in the slot while the series and the options stay the same.
    char* WriteRecordHeadOf(char* out, IntervalSlot& slot, std::string_view date, const RecordOptions& form);
    // A comma and the price's text; written out four times a record rather than looped over.
    char* WritePriceField(char* out, float price);

    IntervalSlots& slots_;
    const ConversionOptions& options_;
    ConversionReport& report_;
    DecimalMarks marks_;
    std::string seriesTicker_;
    std::string seriesDate_;
    std::uint64_t series_ = 0;  // counts the series, so that a slot knows whether its record head still holds
    QuoteLine quote_;
    std::string record_;  // room for the record being composed, kept from bar to bar
    PriceTextCache prices_;
};

}  // namespace tarnix
