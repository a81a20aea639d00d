#include <gtest/gtest.h>

#include "engine/layouts/sniff_rows.h"

namespace tarnix {
namespace {

// Daily quotes from `dates` (one per line) with the prices of one bar.
std::string DailyQuotes(std::string_view dates) {
    std::string file;
    for (std::size_t at = 0; at < dates.size();) {
        const std::size_t end = std::min(dates.find(' ', at), dates.size());
        file += std::string(dates.substr(at, end - at)) + ";1;2;0.5;1.5\n";
        at = end + 1;
    }
    return file;
}

TEST(DateColumn, TheMostPlausibleReadingWinsAndOneBadLineDoesNotTurnIt) {
    const std::string april =
        "01/04/24 02/04/24 03/04/24 04/04/24 05/04/24 08/04/24 09/04/24 10/04/24 11/04/24 "
        "12/04/24 15/04/24";
    const std::string march =
        "03/01/2024 03/04/2024 03/05/2024 03/06/2024 03/07/2024 03/08/2024 03/11/2024 "
        "03/12/2024 03/13/2024 03/14/2024 03/15/2024";
    const std::string days = "240102 240103 240104 240105 240108 240109 240110 240111 240112 240115 240116";
    const struct {
        std::string dates;
        DateOrder order;
        const char* form;
    } cases[] = {
        // Day first: as year first the dates would jump a year a line and pass today.
        {april, DateOrder::kAutomatic, "DD/MM/YY"},
        {april + " 31/04/24", DateOrder::kAutomatic, "DD/MM/YY"},
        {april + " 31/04/24", DateOrder::kYearMonthDay, "YY/MM/DD"},
        // Month first: as day first the steps are months and the 13th does not read.
        {march, DateOrder::kAutomatic, "MM/DD/YYYY"},
        {march + " 02/30/2024", DateOrder::kAutomatic, "MM/DD/YYYY"},
        {"01/03/2024 01/04/2024 01/05/2024", DateOrder::kAutomatic, "MM/DD/YYYY"},
        {"01/03/2024 01/04/2024 01/05/2024", DateOrder::kDayMonthYear, "DD/MM/YYYY"},
        // Newest first is an order too.
        {"15/04/24 12/04/24 11/04/24 10/04/24", DateOrder::kAutomatic, "DD/MM/YY"},
        // Year first with four digits is no question, whatever the user's order.
        {"2024/04/01 2024/04/02", DateOrder::kDayMonthYear, "YYYY/MM/DD"},
        {"2024/04/01 2024/04/02 2024/04/31", DateOrder::kAutomatic, "YYYY/MM/DD"},
        // Six digits: the days of January 2024, not the first days of years to come.
        {days, DateOrder::kAutomatic, "YYMMDD"},
        {days + " 241301", DateOrder::kAutomatic, "YYMMDD"},
        {"020124 030124 040124 050124 080124", DateOrder::kAutomatic, "DDMMYY"},
        {"020124 030124 040124 050124 080124 320124", DateOrder::kAutomatic, "DDMMYY"},
        {"020124 030124", DateOrder::kYearMonthDay, "YYMMDD"},
        // Short month names settle the order by themselves, in either case.
        {"29-Dec-10 30-Dec-10 31-DEC-10 03-Jan-11", DateOrder::kAutomatic, "DD-Mon-YY"},
        {"29-Dec-10 30-Dec-10 31-DEC-10 03-Jan-11 32-Jan-11", DateOrder::kMonthDayYear, "DD-Mon-YY"},
        {"30-JAN-2020 31-jan-2020", DateOrder::kAutomatic, "DD-Mon-YYYY"},
    };
    for (const auto& c : cases) {
        const std::string layout = test::SniffedLayout(DailyQuotes(c.dates), {.order = c.order});
        EXPECT_NE(layout.find(std::string("<DATE> ") + c.form + ","), std::string::npos) << c.dates << "\n"
                                                                                         << layout;
    }
}

}  // namespace
}  // namespace tarnix
