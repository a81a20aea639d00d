// Arbitrary bytes as a quote file: the reader must yield the lines that a plain split at CR LF, CR and LF
// gives (up to the first Ctrl-Z), decide header and period from the first line, and split every line
// without failing other than with the message of a field that does not read. Where the one-pass split takes a
// line, it must give the fields of the split by positions. Every way of marking the line ends marks the same
// bytes.

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/conversion_error.h"
#include "core/reading/line_marks.h"
#include "core/reading/quote_reader.h"

namespace {

std::vector<std::string_view> ReferenceLines(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1A'));
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find_first_of("\r\n");
        lines.push_back(bytes.substr(0, end));
        if (end == std::string_view::npos) break;
        const std::size_t next = bytes.substr(end).starts_with("\r\n") ? end + 2 : end + 1;
        bytes.remove_prefix(next);
    }
    return lines;
}

bool ReferencePeriod(std::string_view first) {
    if (first.find("PER") != std::string_view::npos) return true;
    if (first.find("<TICKER>") != std::string_view::npos) return false;
    const std::size_t c1 = first.find(',');
    const std::size_t c2 = c1 == std::string_view::npos ? c1 : first.find(',', c1 + 1);
    return c2 == std::string_view::npos || c2 - c1 <= 3;
}

void Require(bool condition) {
    if (!condition) std::abort();
}

bool IsFieldMessage(std::string_view message) {
    for (const char* what : {"integer value", "date", "time", "floating point value"}) {
        if (message.starts_with('\'') && message.ends_with(std::string("' is not a valid ") + what))
            return true;
    }
    return false;
}

bool SameFields(const tarnix::QuoteLine& a, const tarnix::QuoteLine& b) {
    const auto bits = [](float value) { return std::bit_cast<std::uint32_t>(value); };
    return a.ticker == b.ticker && a.date == b.date && a.minute == b.minute && bits(a.open) == bits(b.open) &&
           bits(a.high) == bits(b.high) && bits(a.low) == bits(b.low) && bits(a.close) == bits(b.close) &&
           a.volume == b.volume;
}

void CheckOnePassSplit(std::string_view line, tarnix::FileLayout layout, bool volumeCounting) {
    tarnix::QuoteLine plain;
    // A line of the reader is followed by a character that ends any number.
    if (!tarnix::SplitPlainLine(line, layout, volumeCounting, {}, plain, true)) return;
    tarnix::QuoteLine byPositions;
    tarnix::SplitByPositions(line, layout, volumeCounting, {}, byPositions);  // must not raise
    Require(SameFields(plain, byPositions));
}

void CheckMarkersAgree(std::string_view bytes) {
    std::vector<std::uint64_t> first;
    for (const tarnix::Marker marker : tarnix::AvailableMarkers()) {
        tarnix::LineEndMarks marks;
        marks.Reserve(bytes.size());
        tarnix::MarkLineEnds(bytes.data(), 0, bytes.size(), marks, marker);
        if (first.empty()) first = marks.words;
        Require(marks.words == first);
    }
}

// How many bytes each read of the file hands out: mostly a few, so that lines and line ends straddle the
// reader's refills anywhere, as they do at the end of every block of a large file.
std::size_t ReadSize(std::uint8_t choice) {
    return (choice & 3) == 0 ? SIZE_MAX : 1 + (choice >> 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::vector<std::string_view> expected = ReferenceLines(bytes);
    CheckMarkersAgree(bytes);

    tarnix::MemorySource source(bytes, ReadSize(data[0]));
    tarnix::QuoteReader reader(source);
    tarnix::AnalyseFirstLine(reader);
    const std::string_view first = expected.empty() ? std::string_view() : expected.front();
    Require(reader.line == first);
    Require(reader.layout.hasHeader == (first.find("<TICKER>") != std::string_view::npos));
    Require(reader.layout.hasPeriod == ReferencePeriod(first));
    std::size_t next = reader.layout.hasHeader ? 1 : 0;
    tarnix::QuoteLine quote;
    while (tarnix::ReadNextLine(reader)) {
        Require(next < expected.size() && reader.line == expected[next]);
        Require(reader.lineNumber == static_cast<std::int64_t>(next) + 1);
        ++next;
        CheckOnePassSplit(reader.line, reader.layout, (data[0] & 4) != 0);
        try {
            tarnix::SplitQuoteLine(reader.line, reader.layout, (data[0] & 4) != 0, {}, quote, true);
        } catch (const tarnix::ConversionError& error) {
            Require(IsFieldMessage(error.message()));
        }
    }
    Require(next >= expected.size());
    return 0;
}
