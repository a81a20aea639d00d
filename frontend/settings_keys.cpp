#include "settings_keys.h"

#include <cstddef>

#include "tarnix/conversion.h"
#include "tarnix/text_case.h"

namespace tarnix::frontend {
namespace {

bool IsPositionSeparator(char c) {
    return c == ',' || c == ' ';
}

}  // namespace

std::string KeyOf(const StoredProperty& stored) {
    return std::string(stored.control) + "_" + std::string(stored.property);
}

std::string QuotedText(std::string_view text) {
    const std::string_view trimmed = TrimSpaceAndControls(text);
    const bool enclosed = !trimmed.empty() && (trimmed.front() == '"' || trimmed.front() == '\'') &&
                          trimmed.back() == trimmed.front();
    return enclosed ? "\"" + std::string(trimmed) + "\"" : std::string(trimmed);
}

std::string_view BooleanText(bool value) {
    return value ? "True" : "False";
}

std::optional<bool> BooleanOf(std::string_view text) {
    const std::string_view trimmed = TrimSpaceAndControls(text);
    if (EqualsIgnoringAsciiCase(trimmed, "True")) return true;
    if (EqualsIgnoringAsciiCase(trimmed, "False")) return false;
    return std::nullopt;
}

int IntegerOr(std::string_view text, int fallback) {
    return TryParseInteger(text).value_or(fallback);
}

int PriceDecimalsOf(std::string_view text) {
    const int decimals = IntegerOr(TrimSpaceAndControls(text), kDefaultPriceDecimals);
    return decimals >= 1 && decimals <= kMaxPriceDecimals ? decimals : kDefaultPriceDecimals;
}

DateOrder DateOrderOf(std::string_view text) {
    return DateOrderNamed(TrimSpaceAndControls(text)).value_or(DateOrder::kAutomatic);
}

char DecimalMarkOf(std::string_view text) {
    const std::string_view mark = TrimSpaceAndControls(text);
    return mark == "." || mark == "," ? mark.front() : '\0';
}

std::string MetaStockFolderOf(std::string_view text) {
    return std::string(TrimSpaceAndControls(text));
}

std::string ScreenSizeSuffix(int width, int height) {
    return "(" + std::to_string(width) + "x" + std::to_string(height) + ")";
}

std::string PositionsText(const Positions& positions) {
    std::string text;
    for (const int number : positions) {
        if (!text.empty()) text += ',';
        text += std::to_string(number);
    }
    return text;
}

Positions PositionsOf(std::string_view text, const Positions& fallback) {
    Positions positions = fallback;
    for (std::size_t word = 0; word < positions.size(); ++word) {
        while (!text.empty() && IsPositionSeparator(text.front())) text.remove_prefix(1);
        std::size_t end = 0;
        while (end < text.size() && !IsPositionSeparator(text[end])) ++end;
        positions[word] = IntegerOr(text.substr(0, end), fallback[word]);
        text.remove_prefix(end);
    }
    return positions;
}

}  // namespace tarnix::frontend
