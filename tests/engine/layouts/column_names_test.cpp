#include "core/layouts/column_names.h"

#include <gtest/gtest.h>

namespace tarnix {
namespace {

TEST(ColumnNames, NamesOfTheExportLanguagesWithTheirAccentsAndCases) {
    const std::pair<const char*, NamedRole> names[] = {
        {"<TICKER>", NamedRole::kTicker},
        {"code", NamedRole::kTicker},
        {"Instrument", NamedRole::kTicker},
        {"\xE4\xBB\xA3\xE7\xA0\x81", NamedRole::kTicker},  // 代码
        {"Fecha", NamedRole::kDate},
        {"\xD0\x94\xD0\xB0\xD1\x82\xD0\xB0", NamedRole::kDate},  // Дата
        {"Gmt time", NamedRole::kTime},
        {"Uhrzeit", NamedRole::kTime},
        {"Apertura", NamedRole::kOpen},
        {"Er\xC3\xB6"
         "ffn.",
         NamedRole::kOpen},                                        // Eröffn.
        {"A\xC3\xA7\xC4\xB1l\xC4\xB1\xC5\x9F", NamedRole::kOpen},  // Açılış
        {"\xE5\xBC\x80\xE7\x9B\x98", NamedRole::kOpen},            // 开盘
        {"M\xC3\xA1ximo", NamedRole::kHigh},                       // Máximo
        {"M\xC3\x81XIMO", NamedRole::kHigh},                       // MÁXIMO
        {"Najwy\xC5\xBC"
         "szy",
         NamedRole::kHigh},                              // Najwyższy
        {"\xE9\xAB\x98\xE5\x80\xA4", NamedRole::kHigh},  // 高値
        {"Plus bas", NamedRole::kLow},
        {"D\xC3\xBC\xC5\x9F\xC3\xBCk", NamedRole::kLow},  // Düşük
        {"Cl\xC3\xB4ture", NamedRole::kClose},            // Clôture
        {"Zamkni\xC4\x99"
         "cie",
         NamedRole::kClose},                              // Zamknięcie
        {"\xE7\xB5\x82\xE5\x80\xA4", NamedRole::kClose},  // 終値
        {"\xC3\x9Altimo", NamedRole::kLast},              // Último
        {"Zuletzt", NamedRole::kLast},
        {"Vol.", NamedRole::kVolume},
        {"total_volume", NamedRole::kVolume},
        {"\xE6\x88\x90\xE4\xBA\xA4\xE9\x87\x8F", NamedRole::kVolume},  // 成交量
        {"\xCE\xE1\xFA\xB8\xEC", NamedRole::kVolume},                  // Объём in Windows-1251
        {"<TICKVOL>", NamedRole::kTickVolume},
        {"Trades", NamedRole::kOther},
        {"TOTTRDVAL", NamedRole::kOther},
        {"Adj Close", NamedRole::kOther},
        {"\xE6\x88\x90\xE4\xBA\xA4\xE9\xA2\x9D", NamedRole::kOther},  // 成交额
        {"Bid", NamedRole::kNone},
        {"Ultima", NamedRole::kNone},
    };
    for (const auto& [name, role] : names) EXPECT_EQ(RoleOfName(name), role) << name;
}

}  // namespace
}  // namespace tarnix
