#include "column_names.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "tarnix/text_case.h"

namespace tarnix {
namespace {

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

// Windows-1251 Cyrillic letters as UTF-8, so that names of either encoding compare alike.
std::string Utf8OfWindows1251(std::string_view text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        unsigned code = byte;
        if (byte >= 0xC0) code = 0x410 + (byte - 0xC0);
        if (byte == 0xA8) code = 0x401;
        if (byte == 0xB8) code = 0x451;
        if (code < 0x80 || code == byte) {
            utf8.push_back(c);
            continue;
        }
        utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
        utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
    return utf8;
}

// Upper case of ASCII and Cyrillic letters in UTF-8.
std::string UpperCaseName(std::string_view text) {
    std::string upper;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte == 0xD0 && next >= 0xB0 && next <= 0xBF) {  // а to п
            upper += "\xD0";
            upper.push_back(static_cast<char>(next - 0x20));
            ++i;
        } else if (byte == 0xD1 && next >= 0x80 && next <= 0x8F) {  // р to я
            upper += "\xD0";
            upper.push_back(static_cast<char>(next + 0x20));
            ++i;
        } else if (byte == 0xD1 && next == 0x91) {  // ё
            upper += "\xD0\x81";
            ++i;
        } else {
            upper.push_back(AsciiUpper(text[i]));
        }
    }
    return upper;
}

}  // namespace

std::string NormalisedName(std::string_view name) {
    const std::string utf8 = IsValidUtf8(name) ? std::string(name) : Utf8OfWindows1251(name);
    std::string kept;
    for (const char c : utf8) {
        if (std::string_view("<>\"' ._\t").find(c) == std::string_view::npos) kept.push_back(c);
    }
    return UpperCaseName(kept);
}

NamedRole RoleOfName(std::string_view rawName) {
    struct Names {
        NamedRole role;
        std::initializer_list<std::string_view> names;
    };
    static const std::array<Names, 9> kTable = {{
        {NamedRole::kTicker, {"TICKER", "SYMBOL", "SECID", "SECCODE", "PAIR", "ТИКЕР"}},
        {NamedRole::kPeriod, {"PER", "PERIOD", "INTERVAL", "TIMEFRAME"}},
        {NamedRole::kOpen, {"OPEN", "ОТКР", "ОТКРЫТИЕ"}},
        {NamedRole::kHigh, {"HIGH", "МАКС", "МАКСИМУМ"}},
        {NamedRole::kLow, {"LOW", "МИН", "МИНИМУМ"}},
        {NamedRole::kClose, {"CLOSE", "ЗАКР", "ЗАКРЫТИЕ"}},
        {NamedRole::kLast, {"LAST", "PRICE", "ЦЕНА"}},
        {NamedRole::kVolume, {"VOL", "VOLUME", "ОБЪЕМ", "ОБЪЁМ"}},
        {NamedRole::kTickVolume, {"TICKVOL", "TICKQTY"}},
    }};
    std::string name = NormalisedName(rawName);
    if (name.starts_with("BID") && name.size() > 3) name.erase(0, 3);  // bidopen is the open
    for (const Names& entry : kTable) {
        if (std::find(entry.names.begin(), entry.names.end(), name) != entry.names.end()) return entry.role;
    }
    return NamedRole::kNone;
}

}  // namespace tarnix
