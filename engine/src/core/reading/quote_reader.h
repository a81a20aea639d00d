#pragma once

// Reading a quote file line by line and taking the fields of a data line by position.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "core/byte_streams.h"
#include "core/reading/byte_words.h"
#include "core/reading/line_marks.h"
#include "core/reading/number_syntax.h"

namespace tarnix {

// A 1-based character position in a line; 0 means "not found". Wide, so lines of any length work.
using LinePos = std::int64_t;

// copy(line, start, count) of the quote layout: a start below 1 counts as 1; a start beyond the end or a
// negative count gives the empty text; a count past the end stops there.
inline std::string_view CopyClamped(std::string_view line, LinePos start, LinePos count) {
    if (start < 1) start = 1;
    const auto length = static_cast<LinePos>(line.size());
    if (start > length || count < 0) return {};
    return line.substr(static_cast<std::size_t>(start - 1),
                       static_cast<std::size_t>(std::min(count, length)));
}

// Position of the first "," at or after `from`, or 0.
inline LinePos FindCommaFrom(std::string_view text, LinePos from) {
    if (from < 1) from = 1;
    if (from > static_cast<LinePos>(text.size())) return 0;
    const char* const end = text.data() + text.size();
    const char* const comma = FindByte(text.data() + (from - 1), end, ',');
    return comma == end ? 0 : comma - text.data() + 1;
}

// What the first line of a quote file tells about all of its lines.
struct FileLayout {
    bool hasHeader = false;
    bool hasPeriod = false;
};

// The reading state of one open quote file. Lines end at CR, CR LF or a lone LF; the file ends at its
// physical end or at its first Ctrl-Z. Only the current line is held, in a buffer that grows with the
// longest line, never with the file: a line of more than 1 MiB raises ConversionError "Line too long".
// Each block read is marked in one pass (line_marks.h), so that a line's end is looked up, not searched.
class QuoteReader {
  public:
    // Reads from `source`, which must outlive the reader.
    explicit QuoteReader(ByteSource& source);

    // The current line; valid until the next line is read. The character after it is never a digit or a
    // decimal mark (a line end, a Ctrl-Z or a zero byte), and kReadableAfterLine bytes after it may be read.
    std::string_view line;
    static constexpr std::size_t kReadableAfterLine = 8;
    FileLayout layout;
    bool readNext = false;
    std::int64_t lineNumber = 0;

    // True at the physical end of the input or just before a Ctrl-Z.
    bool AtEnd();
    // Reads the next line into `line`; at the end of the input the line is empty.
    void ReadLine();

  private:
    bool EnsureData();
    bool ReadMore();
    void MarkFrom(std::size_t from);
    std::size_t FindLineEnd(std::size_t from) const;
    void SkipLfAfterCr();
    void GrowBuffer();

    ByteSource& source_;
    // Zeroed when made, with kReadableAfterLine bytes past its capacity, and a zero byte kept after the bytes
    // read: past them only the decimals of a line's last number ever look, and that zero ends them.
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t pos_ = 0;       // next unread byte
    std::size_t end_ = 0;       // end of the valid bytes
    bool physicalEnd_ = false;  // the source has returned 0
    bool pendingLf_ = false;    // the last line ended with CR: an LF right after it belongs to that end
    LineEndMarks marks_;        // of the bytes up to end_
};

// The fields of one data line. `date` is a view into the reader's line.
struct QuoteLine {
    std::string ticker;  // upper-cased
    std::string_view date;
    std::int32_t minute = 0;
    float open = 0;
    float high = 0;
    float low = 0;
    float close = 0;
    std::int64_t volume = 0;
    // The eight characters of the last date found real, as one word: most lines repeat the date of the line
    // before, and are not read again for it.
    std::uint64_t realDate = 0;
};

// Whether two texts are the same. Tickers and dates are short: from 4 to 16 characters they are compared in
// two overlapping words rather than by a call.
inline bool SameText(std::string_view a, std::string_view b) {
    const std::size_t size = a.size();
    if (size != b.size()) return false;
    const auto sameWords = [&](auto word) {
        using Word = decltype(word);
        return LoadWord<Word>(a.data()) == LoadWord<Word>(b.data()) &&
               LoadWord<Word>(a.data() + size - sizeof(Word)) ==
                   LoadWord<Word>(b.data() + size - sizeof(Word));
    };
    if (size >= sizeof(std::uint64_t) && size <= 2 * sizeof(std::uint64_t)) return sameWords(std::uint64_t{});
    if (size >= sizeof(std::uint32_t) && size < sizeof(std::uint64_t)) return sameWords(std::uint32_t{});
    // An empty text may have no characters at all to point at, which memcmp must not be given.
    return size == 0 || std::memcmp(a.data(), b.data(), size) == 0;
}

// Sets `target` to `text` with the ASCII letters upper-cased, as tickers are compared. The ticker mostly
// stays the same from line to line: it is copied only when it changes.
void AssignUpperCase(std::string& target, std::string_view text);

// What the first line of a file tells about all of its lines.
FileLayout LayoutOfFirstLine(std::string_view line);

// Reads the first line and decides from it whether the file has a header and a period field.
void AnalyseFirstLine(QuoteReader& reader);

// One pass of the line loop: false at the end of the input; otherwise the line to work on is in
// reader.line and reader.lineNumber counts it.
bool ReadNextLine(QuoteReader& reader);

// Takes the fields of `line` into `quote`; `quote.date` is a view into `line`. False for a line of 10
// characters or fewer. Raises ConversionError for a field that does not read, in this order: hours or minutes
// that are not integers, a date that is not YYYYMMDD of a real day, a time outside 00:00-23:59, a price that
// does not convert (an empty one included), and (with `volumeCounting`) a volume that is not an integer.
// `stopAfter` tells that the line is followed as reader.line is: by a character that is no digit or decimal
// mark, and QuoteReader::kReadableAfterLine bytes that may be read. The numbers are then read without looking
// out for the end of the line, and padded decimals a word at a time.
bool SplitQuoteLine(std::string_view line, FileLayout layout, bool volumeCounting, DecimalMarks marks,
                    QuoteLine& quote, bool stopAfter = false);

// The two ways SplitQuoteLine takes the fields. SplitByPositions takes each field from where the previous
// comma puts it, as every line is read. SplitPlainLine reads a line of the usual form in one pass: every
// field up to the date ends at a comma, the time starts with four digits, the prices are plain decimals that
// fill their fields and the volume (when counted) plain digits. It gives the fields SplitByPositions gives,
// or false, with `quote` partly written, for a line of any other form.
void SplitByPositions(std::string_view line, FileLayout layout, bool volumeCounting, DecimalMarks marks,
                      QuoteLine& quote);
bool SplitPlainLine(std::string_view line, FileLayout layout, bool volumeCounting, DecimalMarks marks,
                    QuoteLine& quote, bool stopAfter = false);

}  // namespace tarnix
