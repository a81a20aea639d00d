#include "quote_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

#include "core/conversion_error.h"
#include "core/reading/date_time_text.h"
#include "core/reading/number_syntax.h"
#include "tarnix/text_case.h"

namespace tarnix {
namespace {

constexpr std::size_t kInitialBufferSize = std::size_t{64} * 1024;
// No quote line comes near this; a file without line ends, or a binary file named *.txt, would otherwise
// make the buffer grow with the whole file.
constexpr std::size_t kMaxLineLength = std::size_t{1} << 20;
constexpr char kCtrlZ = '\x1A';
constexpr std::int32_t kHoursPerDay = 24;
constexpr std::int32_t kMinutesPerHour = 60;

bool IsTimeOfDay(std::int32_t hours, std::int32_t minutes) {
    return hours >= 0 && hours < kHoursPerDay && minutes >= 0 && minutes < kMinutesPerHour;
}

// Whether `date` is eight digits YYYYMMDD of a real day. The last date found real is kept in `realDate`.
bool IsRealDesignDate(std::string_view date, std::uint64_t& realDate) {
    constexpr std::size_t kDateLength = 8;
    if (date.size() != kDateLength) return false;
    const auto word = LoadWord<std::uint64_t>(date.data());
    if (word == realDate) return true;
    std::uint64_t digits = 0;
    if (ReadDigits(date.data(), date.data() + kDateLength, digits) != date.data() + kDateLength) return false;
    const CivilDate day{static_cast<std::int32_t>(digits / 10000),
                        static_cast<std::int32_t>(digits / 100 % 100),
                        static_cast<std::int32_t>(digits % 100)};
    if (!IsRealDate(day)) return false;
    realDate = word;
    return true;
}

// The price field of `count` characters from `start`. Every search for the comma after a price starts two
// characters after the one before it, as if no price were empty: an empty field swallows the comma after it
// and the fields behind it would shift, so a text that starts with that comma fails as the empty price.
float PriceField(std::string_view line, LinePos start, LinePos count, DecimalMarks marks) {
    const std::string_view text = CopyClamped(line, start, count);
    return ParseQuoteNumber(text.starts_with(',') ? std::string_view() : text, marks);
}

// The one pass of SplitPlainLine over a line, field by field. Each step takes a field that ends at a comma
// or, for the last one, at the end of the line, and moves past that comma.
class PlainLineScan {
  public:
    // In a field a comma never counts as a decimal mark: it always ends the field.
    PlainLineScan(std::string_view line, DecimalMarks marks, bool stopAfter)
        : p_(line.data()),
          end_(line.data() + line.size()),
          marks_(WithoutComma(marks)),
          stopAfter_(stopAfter) {}

    // Whether the last price ran to the end of the line rather than to a comma.
    bool LineEnded() const { return lineEnded_; }

    // Any text up to the next comma.
    bool TakeText(std::string_view& text) {
        const char* const comma = std::find(p_, end_, ',');
        if (comma == end_) return false;
        text = std::string_view(p_, static_cast<std::size_t>(comma - p_));
        p_ = comma + 1;
        return true;
    }

    // HHMMSS and the separator after it, which is never looked at: only the hours and minutes count.
    bool TakeMinute(std::int32_t& minute) {
        constexpr std::ptrdiff_t kTimeAndSeparator = 7;
        if (end_ - p_ < kTimeAndSeparator) return false;
        std::uint64_t hhmm = 0;
        if (ReadDigits(p_, p_ + 4, hhmm) != p_ + 4) return false;
        const auto hours = static_cast<std::int32_t>(hhmm / 100);
        const auto minutes = static_cast<std::int32_t>(hhmm % 100);
        if (!IsTimeOfDay(hours, minutes)) return false;
        minute = hours * kMinutesPerHour + minutes;
        p_ += kTimeAndSeparator;
        return true;
    }

    // A plain decimal that ends at a comma or at the end of the line, with its value.
    bool TakePrice(float& price) {
        PlainDecimal number;
        const char* const stop = stopAfter_ ? ScanPlainDecimalToStop(p_, marks_, number)
                                            : ScanPlainDecimal(p_, end_, marks_, number);
        const std::optional<float> value = PlainDecimalValue(number);
        if (!value || !EndsField(stop)) return false;
        price = *value;
        lineEnded_ = stop == end_;
        p_ = lineEnded_ ? end_ : stop + 1;
        return true;
    }

    // Plain digits that fit the quick integer reading, up to a comma or the end of the line.
    bool TakeVolume(std::int64_t& volume) {
        std::uint64_t digits = 0;
        const char* const stop = stopAfter_ ? ReadDigitsToStop(p_, digits) : ReadDigits(p_, end_, digits);
        const auto count = stop - p_;
        if (count == 0 || count > std::numeric_limits<std::int64_t>::digits10 || !EndsField(stop))
            return false;
        volume = static_cast<std::int64_t>(digits);
        return true;
    }

  private:
    static DecimalMarks WithoutComma(DecimalMarks marks) {
        if (marks.decimal == ',') marks.decimal = marks.other;
        if (marks.other == ',') marks.other = marks.decimal;
        return marks;
    }

    bool EndsField(const char* stop) const { return stop == end_ || *stop == ','; }

    const char* p_;
    const char* end_;
    DecimalMarks marks_;
    bool stopAfter_;  // the character at end_ ends every number
    bool lineEnded_ = false;
};

}  // namespace

void AssignUpperCase(std::string& target, std::string_view text) {
    // Tickers are mostly written in capitals already: a plain comparison settles most lines.
    if (SameText(target, text)) return;
    const bool same =
        target.size() == text.size() && std::equal(text.begin(), text.end(), target.begin(),
                                                   [](char c, char upper) { return AsciiUpper(c) == upper; });
    if (same) return;
    target.assign(text);
    std::transform(target.begin(), target.end(), target.begin(), AsciiUpper);
}

QuoteReader::QuoteReader(ByteSource& source)
    : source_(source),
      buffer_(std::make_unique_for_overwrite<char[]>(kInitialBufferSize + kReadableAfterLine)),
      capacity_(kInitialBufferSize) {
    marks_.Reserve(capacity_);
}

void QuoteReader::GrowBuffer() {
    auto larger = std::make_unique_for_overwrite<char[]>(capacity_ * 2 + kReadableAfterLine);
    std::memcpy(larger.get(), buffer_.get(), end_);
    buffer_ = std::move(larger);
    capacity_ *= 2;
    marks_.Reserve(capacity_);
}

// Marks the bytes from `from` up to end_; the word that holds `from` is marked again from its start.
void QuoteReader::MarkFrom(std::size_t from) {
    from -= from % kMarkWordBytes;
    MarkLineEnds(buffer_.get(), from, end_ - from, marks_);
}

bool QuoteReader::EnsureData() {
    if (pos_ < end_) return true;
    if (physicalEnd_) return false;
    pos_ = 0;
    end_ = 0;
    return ReadMore();
}

bool QuoteReader::ReadMore() {
    const std::size_t got = source_.Read(buffer_.get() + end_, capacity_ - end_);
    MarkFrom(std::exchange(end_, end_ + got));
    buffer_[end_] = '\0';  // the line that ends with the input is followed by no digit either
    physicalEnd_ = got == 0;
    return !physicalEnd_;
}

std::size_t QuoteReader::FindLineEnd(std::size_t from) const {
    return NextMark(marks_.words.data(), from, end_);
}

void QuoteReader::SkipLfAfterCr() {
    if (!pendingLf_) return;
    pendingLf_ = false;
    if (EnsureData() && buffer_[pos_] == '\n') ++pos_;
}

bool QuoteReader::AtEnd() {
    SkipLfAfterCr();
    return !EnsureData() || buffer_[pos_] == kCtrlZ;
}

void QuoteReader::ReadLine() {
    SkipLfAfterCr();
    if (!EnsureData()) {
        line = {};
        return;
    }
    std::size_t start = pos_;
    std::size_t scanned = pos_;
    for (;;) {
        const std::size_t stop = FindLineEnd(scanned);
        if (stop < end_) {
            line = std::string_view(buffer_.get() + start, stop - start);
            const char terminator = buffer_[stop];
            // A Ctrl-Z is left in place: it ends the file, and AtEnd() must still see it.
            pos_ = terminator == kCtrlZ ? stop : stop + 1;
            pendingLf_ = terminator == '\r';
            return;
        }
        // The line runs past the buffer: keep it at the front, make room and read on.
        const std::size_t length = end_ - start;
        if (length > kMaxLineLength) throw ConversionError("Line too long");
        std::memmove(buffer_.get(), buffer_.get() + start, length);
        start = 0;
        scanned = end_ = pos_ = length;
        MarkFrom(0);
        if (end_ == capacity_) GrowBuffer();
        if (!ReadMore()) {
            line = std::string_view(buffer_.get(), end_);
            pos_ = end_;
            return;
        }
    }
}

FileLayout LayoutOfFirstLine(std::string_view line) {
    FileLayout layout;
    layout.hasPeriod = line.find("PER") != std::string_view::npos;
    layout.hasHeader = line.find("<TICKER>") != std::string_view::npos;
    if (!layout.hasHeader) {
        // Without a header, a second field of at most two characters is taken as the period; fewer than two
        // commas also count, since the difference is then 0 or negative.
        const LinePos c1 = FindCommaFrom(line, 1);
        const LinePos c2 = FindCommaFrom(line, c1 + 1);
        if (c2 - c1 <= 3) layout.hasPeriod = true;
    }
    return layout;
}

void AnalyseFirstLine(QuoteReader& reader) {
    const bool noFirstLine = reader.AtEnd();
    if (noFirstLine) {
        reader.line = {};
    } else {
        reader.ReadLine();
    }
    reader.layout = LayoutOfFirstLine(reader.line);
    reader.lineNumber = 1;
    reader.readNext = reader.layout.hasHeader || noFirstLine;
}

bool ReadNextLine(QuoteReader& reader) {
    if (!reader.readNext) {
        // First pass of a file without a header: the first line is a data line too.
        reader.readNext = true;
        return true;
    }
    if (reader.AtEnd()) return false;
    reader.ReadLine();
    ++reader.lineNumber;
    return true;
}

void SplitByPositions(std::string_view line, FileLayout layout, bool volumeCounting, DecimalMarks marks,
                      QuoteLine& quote) {
    const auto length = static_cast<LinePos>(line.size());
    const LinePos c0 = FindCommaFrom(line, 1);
    AssignUpperCase(quote.ticker, CopyClamped(line, 1, c0 - 1));

    LinePos cd = 0;
    if (layout.hasPeriod) {
        const LinePos c1 = FindCommaFrom(line, c0 + 1);
        cd = FindCommaFrom(line, c1 + 1);
        quote.date = CopyClamped(line, c1 + 1, cd - c1 - 1);
    } else {
        cd = FindCommaFrom(line, c0 + 1);
        quote.date = CopyClamped(line, c0 + 1, cd - c0 - 1);
    }

    // The time has exactly six characters: the open starts at the eighth character after the date's comma.
    const auto hours = ParseIntegerField<std::int32_t>(CopyClamped(line, cd + 1, 2));
    const auto minutes = ParseIntegerField<std::int32_t>(CopyClamped(line, cd + 3, 2));
    if (!IsRealDesignDate(quote.date, quote.realDate)) ThrowDesignValueNotValid(quote.date, "date");
    if (!IsTimeOfDay(hours, minutes)) ThrowDesignValueNotValid(CopyClamped(line, cd + 1, 6), "time");
    quote.minute = hours * kMinutesPerHour + minutes;

    const LinePos d1 = FindCommaFrom(line, cd + 9);
    quote.open = PriceField(line, cd + 8, d1 - cd - 8, marks);
    const LinePos d2 = FindCommaFrom(line, d1 + 2);
    quote.high = PriceField(line, d1 + 1, d2 - d1 - 1, marks);
    const LinePos d3 = FindCommaFrom(line, d2 + 2);
    quote.low = PriceField(line, d2 + 1, d3 - d2 - 1, marks);
    const LinePos d4 = FindCommaFrom(line, d3 + 2);
    quote.volume = 0;
    if (d4 == 0) {
        quote.close = PriceField(line, d3 + 1, length - d3, marks);
        return;
    }
    quote.close = PriceField(line, d3 + 1, d4 - d3 - 1, marks);
    if (volumeCounting) {
        const LinePos d5 = FindCommaFrom(line, d4 + 2);
        const std::string_view text =
            d5 != 0 ? CopyClamped(line, d4 + 1, d5 - d4 - 1) : CopyClamped(line, d4 + 1, length - d4);
        quote.volume = ParseIntegerField<std::int64_t>(TrimSpaceAndControls(text));
    }
}

bool SplitPlainLine(std::string_view line, FileLayout layout, bool volumeCounting, DecimalMarks marks,
                    QuoteLine& quote, bool stopAfter) {
    PlainLineScan scan(line, marks, stopAfter);
    std::string_view ticker;
    std::string_view period;
    if (!scan.TakeText(ticker) || (layout.hasPeriod && !scan.TakeText(period)) ||
        !scan.TakeText(quote.date) || !IsRealDesignDate(quote.date, quote.realDate)) {
        return false;
    }
    AssignUpperCase(quote.ticker, ticker);
    if (!scan.TakeMinute(quote.minute) || !scan.TakePrice(quote.open) || !scan.TakePrice(quote.high) ||
        !scan.TakePrice(quote.low) || !scan.TakePrice(quote.close)) {
        return false;
    }
    quote.volume = 0;
    return scan.LineEnded() || !volumeCounting || scan.TakeVolume(quote.volume);
}

bool SplitQuoteLine(std::string_view line, FileLayout layout, bool volumeCounting, DecimalMarks marks,
                    QuoteLine& quote, bool stopAfter) {
    if (line.size() <= 10) return false;
    if (!SplitPlainLine(line, layout, volumeCounting, marks, quote, stopAfter))
        SplitByPositions(line, layout, volumeCounting, marks, quote);
    return true;
}

}  // namespace tarnix
