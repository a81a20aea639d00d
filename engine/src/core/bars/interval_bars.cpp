#include "interval_bars.h"

#include <cstring>

#include "core/conversion_error.h"
#include "core/reading/date_time_text.h"
#include "core/reading/number_syntax.h"

namespace tarnix {
namespace {

constexpr std::int32_t kMinutesPerDay = 1440;

void StartBar(IntervalSlot& slot, const QuoteLine& quote) {
    slot.barEnd = BarEnd(quote.minute, slot.interval);
    slot.open = quote.open;
    slot.high = quote.high;
    slot.low = quote.low;
    slot.close = quote.close;
    slot.volume = quote.volume;
}

void ExtendBar(IntervalSlot& slot, const QuoteLine& quote) {
    if (slot.high < quote.high) slot.high = quote.high;
    if (slot.low > quote.low) slot.low = quote.low;
    slot.close = quote.close;
    slot.volume = static_cast<std::int64_t>(static_cast<std::uint64_t>(slot.volume) +
                                            static_cast<std::uint64_t>(quote.volume));
}

}  // namespace

std::int32_t BarEnd(std::int32_t minute, std::int32_t interval) {
    if (interval == 0) throw ConversionError("Division by zero");
    const std::int64_t wide = interval;
    return static_cast<std::int32_t>(wide * ((std::int64_t{minute} - 1) / wide + 1));
}

std::string BarFileName(std::string_view directory, std::string_view name, std::int32_t interval) {
    std::string path(directory);
    path.append(name.substr(0, name.size() >= 4 ? name.size() - 4 : 0));
    path.append("-m").append(FormatInteger(interval).view()).append(".txt");
    return path;
}

ShortText NextDay(std::string_view date) {
    // The pieces are read in this order, so that the first that is not an integer is the one reported.
    const CivilDate day{ParseInteger(CopyClamped(date, 1, 4)), ParseInteger(CopyClamped(date, 5, 2)),
                        ParseInteger(CopyClamped(date, 7, 2))};
    // The next day must fit the four-digit year of the record as well.
    if (!IsRealDate(day) || day == CivilDate{9999, 12, 31})
        throw ConversionError("Invalid argument to date encode");
    ShortText text;
    text.SetEnd(WriteCompactDate(text.data(), DateOfDayNumber(DayNumber(day) + 1)));
    return text;
}

std::string_view BarFileHeader(const ConversionOptions& options) {
    static constexpr std::array<std::string_view, 4> kHeaders = {
        "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>\r\n",
        "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n",
        "<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>\r\n",
        "<TICKER>,<PER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n",
    };
    const bool periodField = options.addPerField() || options.addMs7Period();
    return kHeaders[(periodField ? 2 : 0) + (options.withVolume() ? 1 : 0)];
}

BarFolder::BarFolder(IntervalSlots& slots, const ConversionOptions& options, ConversionReport& report,
                     DecimalMarks marks)
    : slots_(slots),
      options_(options),
      report_(report),
      marks_(marks),
      prices_(options.priceDecimals(), marks.decimal) {}

void BarFolder::FoldQuoteFile(QuoteReader& reader) {
    seriesTicker_.clear();
    seriesDate_.clear();
    ++series_;
    AnalyseFirstLine(reader);
    while (ReadNextLine(reader)) {
        // The counter comes before the split, so a failing line leaves its own number on show.
        report_.ShowLineCounter(reader.lineNumber);
        if (SplitQuoteLine(reader.line, reader.layout, options_.withVolume(), marks_, quote_, true))
            Fold(quote_);
    }
}

void BarFolder::FoldLayoutFile(QuoteReader& reader, const QuoteLayout& layout) {
    seriesTicker_.clear();
    seriesDate_.clear();
    ++series_;
    LayoutLineReader lines(layout);
    for (std::int64_t number = 1; !reader.AtEnd(); ++number) {
        reader.ReadLine();
        report_.ShowLineCounter(number);
        if (number < layout.firstDataLine) continue;
        const std::string_view line = number == 1 ? WithoutByteOrderMark(reader.line) : reader.line;
        bool read = false;
        try {
            read = lines.Read(line, options_.withVolume(), quote_);
        } catch (const ConversionError& error) {
            throw ConversionError(error.message() + LineMention(number, options_.russianLog()));
        }
        if (read) Fold(quote_);
    }
}

void BarFolder::FoldQuote(const QuoteLine& quote) {
    Fold(quote);
}

void BarFolder::Fold(const QuoteLine& quote) {
    if (!SameText(quote.ticker, seriesTicker_) || !SameText(quote.date, seriesDate_)) {
        // The pending bars still go out under the old series; then every slot starts afresh.
        for (IntervalSlot& slot : slots_) {
            if (!slot.enabled) continue;
            WriteBar(slot);
            StartBar(slot, quote);
        }
        seriesTicker_ = quote.ticker;
        seriesDate_ = quote.date;
        ++series_;
        return;
    }
    for (IntervalSlot& slot : slots_) {
        if (!slot.enabled) continue;
        // Only a minute beyond the bar's end closes it; an earlier minute joins the pending bar.
        if (slot.barEnd < quote.minute) {
            WriteBar(slot);
            slot.open = 0;
        }
        if (slot.open == 0) {
            StartBar(slot, quote);
        } else {
            ExtendBar(slot, quote);
        }
    }
}

void BarFolder::WriteBar(IntervalSlot& slot) {
    if (slot.open == 0 || !slot.enabled) return;
    // The date is settled before anything is written, so a failing rollover leaves no half record.
    std::int32_t end = slot.barEnd;
    std::string_view date = seriesDate_;
    ShortText nextDay;
    if (end > kMinutesPerDay) {
        end -= kMinutesPerDay;
        nextDay = NextDay(date);
        date = nextDay.view();
    } else if (end == kMinutesPerDay) {
        end = kMinutesPerDay - 1;  // midnight closes the day it ends
    }
    slot.barEnd = end;
    slot.file->Write(ComposeRecord(slot, date, end));
    slot.open = 0;
    report_.YieldToWindow();
}

// The longest record apart from its ticker and date: the ticker's interval, the period field, the time,
// four prices, the volume, the commas and the line end.
constexpr std::size_t kMaxRecordExtra = 8 * ShortText::kCapacity;

char* BarFolder::WritePriceField(char* out, float price) {
    *out++ = ',';
    return prices_.Write(out, price);
}

namespace {

// The options that shape the text of a record before its time, as bits.
unsigned HeadBits(const RecordOptions& form) {
    return (form.addPeriodToSymbol ? 1U : 0U) | (form.addMs7Period ? 2U : 0U) | (form.addPerField ? 4U : 0U);
}

constexpr std::size_t kCopyBlock = 16;

// The text up to the record's time: ticker, interval and period as `form` says, and the date.
char* WriteRecordHead(char* out, std::string_view ticker, std::int32_t interval, const RecordOptions& form,
                      std::string_view date) {
    out = WriteText(out, ticker);
    if (form.addPeriodToSymbol) out = WriteInteger(out, interval);
    if (form.addMs7Period) {
        *out++ = ',';
        out = interval <= 60 ? WriteInteger(out, interval) : WriteText(out, "1");
    } else if (form.addPerField) {
        out = WriteText(out, ",I");
    }
    *out++ = ',';
    out = WriteText(out, date);
    *out++ = ',';
    return out;
}

// Copies `size` characters in blocks of kCopyBlock: both sides have room up to the next whole block.
char* CopyInBlocks(char* out, const char* text, std::size_t size) {
    for (std::size_t at = 0; at < size; at += kCopyBlock) std::memcpy(out + at, text + at, kCopyBlock);
    return out + size;
}

}  // namespace

char* BarFolder::WriteRecordHeadOf(char* out, IntervalSlot& slot, std::string_view date,
                                   const RecordOptions& form) {
    // A bar that reaches into the next day carries that day's date: written afresh, never kept.
    if (date.data() != seriesDate_.data())
        return WriteRecordHead(out, seriesTicker_, slot.interval, form, date);
    // The text is kept while the options and the series stay the same, which is nearly always, and copied
    // in whole blocks.
    const std::uint64_t key = series_ << 3 | HeadBits(form);
    if (slot.recordHeadKey != key) {
        const std::size_t bound = seriesTicker_.size() + seriesDate_.size() + kMaxRecordExtra;
        if (slot.recordHead.size() < bound) slot.recordHead.resize(bound);
        char* const first = slot.recordHead.data();
        slot.recordHeadSize = static_cast<std::size_t>(
            WriteRecordHead(first, seriesTicker_, slot.interval, form, seriesDate_) - first);
        slot.recordHeadKey = key;
    }
    return CopyInBlocks(out, slot.recordHead.data(), slot.recordHeadSize);
}

std::string_view BarFolder::ComposeRecord(IntervalSlot& slot, std::string_view date, std::int32_t end) {
    const std::size_t bound = seriesTicker_.size() + date.size() + kMaxRecordExtra;
    if (record_.size() < bound) record_.resize(bound);
    char* const first = record_.data();
    // The options are read for every record, all at once.
    const RecordOptions form = options_.recordOptions();
    char* out = WriteRecordHeadOf(first, slot, date, form);
    out = WriteBarTime(out, end);
    out = WritePriceField(out, slot.open);
    out = WritePriceField(out, slot.high);
    out = WritePriceField(out, slot.low);
    out = WritePriceField(out, slot.close);
    if (form.withVolume) {
        *out++ = ',';
        out = WriteInteger(out, slot.volume);
    }
    out = WriteText(out, "\r\n");
    return {first, static_cast<std::size_t>(out - first)};
}

}  // namespace tarnix
