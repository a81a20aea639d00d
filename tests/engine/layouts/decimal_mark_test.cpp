#include <gtest/gtest.h>

#include "engine/layouts/sniff_rows.h"

namespace tarnix {
namespace {

TEST(DecimalMark, ThePricesAndVolumesOfEveryColumnTogetherSettleIt) {
    const char* const head = "Date;Open;High;Low;Close;Volume\n";
    const struct {
        std::string lines;
        char asked;
        std::string mark;  // the end of the layout line
    } cases[] = {
        {"2024-01-31;151.234;152.5;150.1;151.9;1,234\n", 0, "decimal '.'"},
        {"2024-01-31;151.234;152.234;150.234;151.234;1,234\n", 0, "decimal '.'"},
        {"2024-01-31;151,234;152,234;150,234;151,234;1.234\n", 0, "decimal ','"},
        {"2024-01-31;151,5;152;150;151;1 234\n", 0, "decimal ','"},
        {"2024-01-31;1.151,5;1.152;1.150;1.151;7\n", 0, "decimal ','"},
        {"2024-01-31;1,151.5;1,152;1,150;1,151;7\n", 0, "decimal '.'"},
        {"2024-01-31;151;152;150;151;790,05K\n", 0, "decimal ','"},
        {"2024-01-31;151,234;152,234;150,234;151,234;7\n", 0, "decimal ',' (assumed)"},
        {"2024-01-31;151.234;152.234;150.234;151.234;7\n", 0, "decimal '.' (assumed)"},
        {"2024-01-31;151;152;150;151;7\n", 0, "decimal '.'"},
        {"2024-01-31;151,5 \xE2\x82\xAC;152 \xE2\x82\xAC;150 \xE2\x82\xAC;151 \xE2\x82\xAC;7\n", 0,
         "decimal ','"},
        {"2024-01-31;$151.234;$152.234;$150.234;$151.234;1,234\n", 0, "decimal '.'"},
        {"2024-01-31;151,234;152,234;150,234;151,234;7\n", '.', "decimal '.'"},
        {"2024-01-31;151.5;152;150;151;7\n", ',', "decimal ','"},
    };
    for (const auto& c : cases) {
        const std::string layout = test::SniffedLayout(head + c.lines, {.decimalMark = c.asked});
        EXPECT_TRUE(layout.ends_with(c.mark)) << c.lines << layout;
    }
}

}  // namespace
}  // namespace tarnix
