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

// The base letter of a Latin letter with an accent (U+00C0 to U+017F), or 0 for another character.
char BaseLatinLetter(unsigned code) {
    static constexpr std::string_view kLatin1 =
        "AAAAAAACEEEEIIIIDNOOOOO_OUUUUYPSAAAAAAACEEEEIIIIDNOOOOO_OUUUUYPY";
    static constexpr std::string_view kExtendedA =
        "AAAAAACCCCCCCCDDDDEEEEEEEEEEGGGGGGGGHHHHIIIIIIIIIIIIJJKKKLLLLLLLLLLNNNNNNNNNOOOOOOOORRRRRRSSSSSSSSTT"
        "TTTTUUUUUUUUUUUUWWYYYZZZZZZS";
    if (code >= 0xC0 && code <= 0xFF && kLatin1[code - 0xC0] != '_') return kLatin1[code - 0xC0];
    if (code >= 0x100 && code <= 0x17F) return kExtendedA[code - 0x100];
    return '\0';
}

// Upper case of ASCII and Cyrillic letters in UTF-8; Latin letters lose their accents.
std::string UpperCaseName(std::string_view text) {
    std::string upper;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        const unsigned code = (byte & 0x1Fu) << 6 | (next & 0x3Fu);
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
        } else if (byte >= 0xC3 && byte <= 0xC5 && BaseLatinLetter(code) != 0) {
            upper.push_back(BaseLatinLetter(code));
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
    // Names as NormalisedName leaves them, in the languages of the exports traders download: English,
    // Russian, Spanish, Portuguese, German, French, Italian, Turkish, Polish, Chinese and Japanese.
    static const std::array<Names, 12> kTable = {{
        {NamedRole::kTicker,
         {"TICKER", "SYMBOL", "SECID", "SECCODE", "PAIR", "CODE", "INSTRUMENT", "ТИКЕР", "SIMBOLO", "SYMBOLE",
          "代码", "股票代码", "コード", "銘柄コード"}},
        {NamedRole::kPeriod, {"PER", "PERIOD", "INTERVAL", "TIMEFRAME"}},
        {NamedRole::kDate,
         {"DATE", "DATETIME", "DAY", "ДАТА", "FECHA", "DATA", "DATUM", "TARIH", "日期", "日付", "交易日期"}},
        {NamedRole::kTime,
         {"TIME", "TIMESTAMP", "GMTTIME", "LOCALTIME", "ВРЕМЯ", "HORA", "ZEIT", "UHRZEIT", "HEURE", "ORA",
          "SAAT", "CZAS", "GODZINA", "时间", "時間", "時刻"}},
        {NamedRole::kOpen,
         {"OPEN", "ОТКР", "ОТКРЫТИЕ", "APERTURA", "ABERTURA", "EROFFN", "EROFFNUNG", "ERSTER", "OUVERTURE",
          "OUV", "ACILIS", "OTWARCIE", "开盘", "开盘价", "始値"}},
        {NamedRole::kHigh,
         {"HIGH", "МАКС", "МАКСИМУМ", "MAXIMO", "MAXIMA", "HOCH", "PLUSHAUT", "HAUT", "MASSIMO", "MAX",
          "YUKSEK", "NAJWYZSZY", "MAKSIMUM", "最高", "最高价", "高値"}},
        {NamedRole::kLow,
         {"LOW", "МИН", "МИНИМУМ", "MINIMO", "MINIMA", "TIEF", "PLUSBAS", "BAS", "MIN", "DUSUK", "NAJNIZSZY",
          "MINIMUM", "最低", "最低价", "安値"}},
        {NamedRole::kClose,
         {"CLOSE", "ЗАКР", "ЗАКРЫТИЕ", "CIERRE", "FECHAMENTO", "SCHLUSS", "SCHLUSSKURS", "CLOTURE",
          "CHIUSURA", "KAPANIS", "ZAMKNIECIE", "收盘", "收盘价", "終値"}},
        {NamedRole::kLast,
         {"LAST", "PRICE", "ЦЕНА", "ULTIMO", "ZULETZT", "DERNIER", "SIMDI", "KURS", "最新价", "现价"}},
        {NamedRole::kVolume,
         {"VOL", "VOLUME", "TOTALVOLUME", "TOTTRDQTY", "ОБЪЕМ", "ОБЪЁМ", "VOLUMEN", "HACIM", "WOLUMEN",
          "成交量", "出来高"}},
        {NamedRole::kTickVolume, {"TICKVOL", "TICKQTY"}},
        {NamedRole::kOther,
         {"TRADES",  "COUNT",        "NUMTRADES",   "NUMBEROFTRADES", "AMOUNT",   "TURNOVER",
          "VALUE",   "TOTTRDVAL",    "TOTALTRADES", "SPREAD",         "ADJCLOSE", "VWAP",
          "OPENINT", "OPENINTEREST", "CHANGE",      "CHANGE%",        "%VAR",     "%CHG",
          "ИЗМ%",    "成交额",       "売買代金",    "UMSATZ"}},
    }};
    std::string name = NormalisedName(rawName);
    if (name.starts_with("BID") && name.size() > 3) name.erase(0, 3);  // bidopen is the open
    for (const Names& entry : kTable) {
        if (std::find(entry.names.begin(), entry.names.end(), name) != entry.names.end()) return entry.role;
    }
    return NamedRole::kNone;
}

}  // namespace tarnix
