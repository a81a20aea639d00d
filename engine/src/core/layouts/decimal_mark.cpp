#include "decimal_mark.h"

#include <optional>
#include <vector>

namespace tarnix {

char DecideDecimalMark(const SampleTable& table, const QuoteLayout& layout) {
    std::vector<int> columns;
    for (std::size_t c = 0; c < layout.columns.size(); ++c) {
        const ColumnRole role = layout.columns[c];
        if (role >= ColumnRole::kOpen && role <= ColumnRole::kVolume) columns.push_back(static_cast<int>(c));
    }
    const auto forEachField = [&](auto decide) -> std::optional<char> {
        for (const SampleRow& row : table.data()) {
            for (const int c : columns) {
                if (const auto mark = decide(table.FieldOf(row, c))) return mark;
            }
        }
        return std::nullopt;
    };
    const auto lastOfBoth = [](std::string_view f) -> std::optional<char> {
        const std::size_t dot = f.rfind('.');
        const std::size_t comma = f.rfind(',');
        if (dot == std::string_view::npos || comma == std::string_view::npos) return std::nullopt;
        return dot > comma ? '.' : ',';
    };
    const auto shown = [](std::string_view f) -> std::optional<char> {
        const std::size_t at = f.find_first_of(".,");
        if (at == std::string_view::npos) return std::nullopt;
        const char mark = f[at];
        if (f.find_first_of(".,", at + 1) != std::string_view::npos) return mark == '.' ? ',' : '.';
        std::size_t digits = 0;
        while (at + 1 + digits < f.size() && f[at + 1 + digits] >= '0' && f[at + 1 + digits] <= '9') ++digits;
        if (digits == 3) return std::nullopt;
        return mark;
    };
    const auto comma = [&](std::string_view f) -> std::optional<char> {
        if (table.separator() != ',' && f.find(',') != std::string_view::npos) return ',';
        return std::nullopt;
    };
    return forEachField(lastOfBoth).value_or(forEachField(shown).value_or(forEachField(comma).value_or('.')));
}

}  // namespace tarnix
