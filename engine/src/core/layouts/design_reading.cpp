#include "design_reading.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <vector>

#include "core/conversion_error.h"
#include "core/layouts/sample_table.h"
#include "core/reading/quote_reader.h"
#include "tarnix/text_case.h"

namespace tarnix {
namespace {

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

}  // namespace

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

bool KeepsDesignErrors(std::string_view firstLine) {
    if (LayoutOfFirstLine(firstLine).hasHeader) return IsDesignHeader(firstLine);
    return std::count(firstLine.begin(), firstLine.end(), ',') >= 6;
}

}  // namespace tarnix
