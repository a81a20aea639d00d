#include "core/layouts/quote_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/layouts/layout_sniffer.h"
#include "layout_rendering.h"
#include "memory_store.h"
#include "run.h"
#include "test_support.h"

namespace tarnix {
namespace {

// The form of DateForms() with this name; "T" after the name asks for the form with a time.
DateForm FormNamed(std::string_view name) {
    const bool withTime = name.ends_with(" T");
    if (withTime) name.remove_suffix(2);
    for (const DateForm& form : DateForms()) {
        if (form.Name() == name && form.withTime == withTime) return form;
    }
    ADD_FAILURE() << "no date form " << name;
    return {};
}

// "YYYYMMDD HHMM", or "-" when the text does not read.
std::string DateTimeText(std::optional<DateTime> value) {
    if (!value) return "-";
    char date[8];
    WriteCompactDate(date, value->date);
    const std::int32_t hhmm = value->minute / 60 * 100 + value->minute % 60;
    return std::string(date, 8) + " " + std::string(4 - std::to_string(hhmm).size(), '0') +
           std::to_string(hhmm);
}

TEST(DateTimeText, ReadsEachFormAndOnlyRealDatesAndTimes) {
    const struct {
        const char* text;
        const char* form;
        const char* expected;
    } cases[] = {
        {"20240131", "YYYYMMDD", "20240131 0000"},
        {"240131", "YYMMDD", "20240131 0000"},
        {"310124", "DDMMYY", "20240131 0000"},
        {"690101", "YYMMDD", "19690101 0000"},
        {"681231", "YYMMDD", "20681231 0000"},
        {"31/01/2024", "DD/MM/YYYY", "20240131 0000"},
        {"1/2/2024", "DD/MM/YYYY", "20240201 0000"},
        {"01/31/2024", "MM/DD/YYYY", "20240131 0000"},
        {"2024-01-31", "YYYY-MM-DD", "20240131 0000"},
        {"2024.1.5", "YYYY.MM.DD", "20240105 0000"},
        {"31.01.24", "DD.MM.YY", "20240131 0000"},
        {"29.02.00", "DD.MM.YY", "20000229 0000"},
        {"Jan 31, 2024", "Mon DD, YYYY", "20240131 0000"},
        {"September 3 2024", "Mon DD, YYYY", "20240903 0000"},
        {"sept 3,2024", "Mon DD, YYYY", "20240903 0000"},
        {"2024-01-31T10:05:00Z", "YYYY-MM-DD T", "20240131 1005"},
        {"02.01.2024 17:00:00.000 GMT+0200", "DD.MM.YYYY T", "20240102 1700"},
        {"20240102 170000", "YYYYMMDD T", "20240102 1700"},
        {"2024-01-31 10:05:59.5-05:00", "YYYY-MM-DD T", "20240131 1005"},
        {"2024-01-31  9:30 UTC", "YYYY-MM-DD T", "20240131 0930"},
        {"2024-01-31T0930", "YYYY-MM-DD T", "20240131 0930"},
        {"Jan 31, 2024 23:59", "Mon DD, YYYY T", "20240131 2359"},
        {"31-Dec-10", "DD-Mon-YY", "20101231 0000"},
        {"1-JAN-2020", "DD-Mon-YYYY", "20200101 0000"},
        {"15-oct-2024T10:01:00Z", "DD-Mon-YYYY T", "20241015 1001"},
        {"15-OCT-24 10:01 PM", "DD-Mon-YY T", "20241015 2201"},
        {"1/15/2024 10:01:59PM", "MM/DD/YYYY T", "20240115 2201"},
        {"2024-01-15 12:05 am", "YYYY-MM-DD T", "20240115 0005"},
        {"2024-01-15 12:05 PM UTC", "YYYY-MM-DD T", "20240115 1205"},
        {"2024-01-15 13:05 PM", "YYYY-MM-DD T", "-"},
        {"2024-01-15 0:05 AM", "YYYY-MM-DD T", "-"},
        {"31-Feb-24", "DD-Mon-YY", "-"},
        {"31-Jan-2024", "DD-Mon-YY", "-"},
        {"31-Foo-24", "DD-Mon-YY", "-"},
        {"31 Jan 24", "DD-Mon-YY", "-"},
        {"202401311005", "YYYYMMDDHHMM", "20240131 1005"},
        {"20240131100559", "YYYYMMDDHHMMSS", "20240131 1005"},
        {"1706695559", "Unix seconds", "20240131 1005"},
        {"1706745540999", "Unix milliseconds", "20240131 2359"},
        {"20240230", "YYYYMMDD", "-"},
        {"00000101", "YYYYMMDD", "-"},
        {"31/02/2024", "DD/MM/YYYY", "-"},
        {"31/01/2024x", "DD/MM/YYYY", "-"},
        {"131/01/2024", "DD/MM/YYYY", "-"},
        {"31/01/024", "DD/MM/YYYY", "-"},
        {"2024-01-31", "YYYY-MM-DD T", "-"},
        {"2024-01-31 25:00", "YYYY-MM-DD T", "-"},
        {"2024-01-31 10:60", "YYYY-MM-DD T", "-"},
        {"2024-01-31 10:05 EST", "YYYY-MM-DD T", "-"},
        {"2024-01-31 10:05", "YYYY-MM-DD", "-"},
        {"Foo 31, 2024", "Mon DD, YYYY", "-"},
        {"202401312405", "YYYYMMDDHHMM", "-"},
        {"170669555", "Unix seconds", "-"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DateTimeText(ReadDateTime(c.text, FormNamed(c.form))), c.expected)
            << c.text << " as " << c.form;
    }
}

TEST(DateTimeText, ReadsTimeColumnsInTheirForm) {
    const TimeForm colons{true, true};
    const TimeForm digits{false, true};
    const TimeForm shortDigits{false, false};
    const TimeForm twelveHour{true, false, ':', true};
    const TimeForm twelveHourSeconds{true, true, ':', true};
    const TimeForm dotted{true, false, '.', false};
    const TimeForm hours{true, false, 'h', false};
    const struct {
        const char* text;
        TimeForm form;
        std::optional<std::int32_t> minute;
    } cases[] = {
        {"10:05", colons, 605},
        {"9:30", colons, 570},
        {"09:30:15.250", colons, 570},
        {"100559", digits, 605},
        {"93000", digits, 570},
        {"0", digits, 0},
        {"930", shortDigits, 570},
        {"1005", shortDigits, 605},
        {"24:00", colons, std::nullopt},
        {"1260", shortDigits, std::nullopt},
        {"10:5", colons, std::nullopt},
        {"1000000", digits, std::nullopt},
        {"10:01 PM", twelveHour, 1321},
        {"10:01pm", twelveHour, 1321},
        {"12:00 AM", twelveHour, 0},
        {"12:59 PM", twelveHour, 779},
        {"1:05:30 am", twelveHourSeconds, 65},
        {"0:30 AM", twelveHour, std::nullopt},
        {"13:00 PM", twelveHour, std::nullopt},
        {"10:01", twelveHour, std::nullopt},
        {"10:01 PMX", twelveHour, std::nullopt},
        {"10.01", dotted, 601},
        {"9.30.15", dotted, 570},
        {"10h01", hours, 601},
        {"10H01", hours, 601},
        {"10.1", dotted, std::nullopt},
        {"10:01", hours, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadTime(c.text, c.form), c.minute) << c.text;
}

TEST(FieldSplitter, TakesFieldsInQuotesBlanksAndSeparatorsInside) {
    const struct {
        char separator;
        const char* line;
        std::vector<std::string> fields;
    } cases[] = {
        {';', "a; b ;c", {"a", "b", "c"}},
        {',', R"("Jan 31, 2024", "1,085.5" ,x)", {"Jan 31, 2024", "1,085.5", "x"}},
        {';', R"("a""b";"c""d";"e""f")", {"a\"b", "c\"d", "e\"f"}},
        {'\t', "a\t\tb\t", {"a", "", "b", ""}},
        {',', R"("open,)", {"open,"}},
    };
    for (const auto& c : cases) {
        FieldSplitter splitter(c.separator);
        const auto fields = splitter.Split(c.line);
        EXPECT_EQ(std::vector<std::string>(fields.begin(), fields.end()), c.fields) << c.line;
    }
}

TEST(LayoutNumbers, PricesAndVolumesWithTheFilesMarkAndGrouping) {
    const struct {
        const char* text;
        char mark;
        std::optional<float> price;
        std::optional<std::int64_t> volume;
    } cases[] = {
        {"250.50", '.', 250.5f, 251},
        {"250.5000000", '.', 250.5f, 251},
        {"0.000000000000", '.', 0.0f, 0},
        {"1000000000", '.', 1e9f, 1000000000},
        {"3.1415926535897932", '.', 3.14159265f, 3},
        {"250,50", ',', 250.5f, 251},
        {"1 234,5", ',', 1234.5f, 1235},
        {"1,234.5", '.', 1234.5f, 1235},
        {"1.234,5", ',', 1234.5f, 1235},
        {"1\xC2\xA0"
         "234,5",
         ',', 1234.5f, 1235},
        {"1\xE2\x80\x89"
         "234 567",
         '.', 1234567.0f, 1234567},
        {"-2.5", '.', -2.5f, -3},
        {"1e3", '.', 1000.0f, std::nullopt},
        {"790,05K", ',', std::nullopt, 790050},
        {"1.2M", '.', std::nullopt, 1200000},
        {"3B", '.', std::nullopt, 3000000000},
        {"0.4999k", '.', std::nullopt, 500},
        {"12000", '.', 12000.0f, 12000},
        {"-", '.', std::nullopt, 0},
        {"", '.', std::nullopt, 0},
        {"1,5", '.', std::nullopt, std::nullopt},
        {",500", '.', std::nullopt, std::nullopt},
        {"12x", '.', std::nullopt, std::nullopt},
        {"99999999999999999999", '.', 1e20f, std::nullopt},
        {"$214.44", '.', 214.44f, std::nullopt},
        {"$ 1,214.5", '.', 1214.5f, std::nullopt},
        {"214,44 \xE2\x82\xAC", ',', 214.44f, std::nullopt},
        {"\xC2\xA3"
         "2.5",
         '.', 2.5f, std::nullopt},
        {"2500\xC2\xA5", '.', 2500.0f, std::nullopt},
        {"1 234,5 \xE2\x82\xBD", ',', 1234.5f, std::nullopt},
        {"$", '.', std::nullopt, std::nullopt},
        {"$$5", '.', std::nullopt, std::nullopt},
        {"5 US$", '.', std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadLayoutPrice(c.text, c.mark), c.price) << c.text;
        EXPECT_EQ(ReadLayoutVolume(c.text, c.mark), c.volume) << c.text;
    }
}

TEST(LayoutSniffer, TheDesignReadingKeepsFilesWhoseFirstDataLineIsOfItsLayout) {
    const std::string line = "SBER,5,20240131,100500,250.5,251,250.1,250.75,12000\r\n";
    const struct {
        std::string file;
        bool design;
    } cases[] = {
        {"", true},
        {"<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n", true},
        {"short\r\n\r\n" + line, true},
        {"<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n" + line +
             "garbage line here\r\n",
         true},
        {" <TICKER> , <DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>\r\nSBER,20240131,100500,1,2,3,4\r\n",
         true},
        {"SBER,20240131,100500,1,2,3,4\r\n", true},
        // Values that do not read in lines of the design's shape: the design reading refuses them by name.
        {"SBER,20241331,100500,1,2,3,4\r\n", true},
        {"SBER,20240131,999999,abc,2,3,4\r\n", true},
        {"<TICKER>,<PER>,<DATE>,<TIME>,<LAST>,<VOL>\r\n" + line, false},
        {"<TICKER>,<DATE>,<PER>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>\r\n" + line, false},
        {"SBER,5,240131,100500,250.5,251,250.1,250.75\r\n", false},
        {"SBER,240,20240131,100500,1,2,3,4\r\n", false},
        {"SBER,20240131,10:05,1,2,3,4\r\n", false},
        {"SBER,20240131,100500,1,2,3,4,2195329.2997\r\n", false},
        {"SBER;20240131;100500;1;2;3;4\r\n", false},
    };
    for (const auto& c : cases) EXPECT_EQ(TakesDesignReading(c.file, true), c.design) << c.file;
}

TEST(LayoutSniffer, AmbiguousDatesAreReadTheWayTheQuotesAndTheUserSay) {
    const CivilDate today{2026, 12, 9};
    const struct {
        std::string dates;  // one per line
        DateOrder order;
        CivilDate today;
        const char* form;
    } cases[] = {
        {"05/01/04", DateOrder::kAutomatic, today, "DD/MM/YY"},
        {"05/01/04", DateOrder::kMonthDayYear, today, "MM/DD/YY"},
        {"05/01/04", DateOrder::kYearMonthDay, today, "YY/MM/DD"},
        {"05/01/2004", DateOrder::kYearMonthDay, today, "DD/MM/YYYY"},
        {"13/01/2004", DateOrder::kMonthDayYear, today, "MM/DD/YYYY"},
        {"12/01/2024 01/02/2024", DateOrder::kAutomatic, today, "DD/MM/YYYY"},
        {"01/12/2024 02/01/2024", DateOrder::kAutomatic, today, "MM/DD/YYYY"},
        {"240131", DateOrder::kAutomatic, today, "YYMMDD"},
        {"050124", DateOrder::kAutomatic, today, "DDMMYY"},
        {"050124", DateOrder::kAutomatic, CivilDate{2010, 1, 1}, "YYMMDD"},
        {"050124", DateOrder::kYearMonthDay, today, "YYMMDD"},
        {"2024-01-05", DateOrder::kDayMonthYear, today, "YYYY-MM-DD"},
    };
    for (const auto& c : cases) {
        std::string file;
        for (std::size_t at = 0; at < c.dates.size();) {
            const std::size_t end = std::min(c.dates.find(' ', at), c.dates.size());
            file += c.dates.substr(at, end - at) + ";1;2;0.5;1.5\n";
            at = end + 1;
        }
        const auto layout = SniffLayout(SampleLines(file, true), {"q.txt", c.order, 0, c.today});
        ASSERT_TRUE(layout) << file;
        EXPECT_EQ(layout->dateForm.Name(), c.form) << file;
    }
}

// A file converted in memory with every interval, the custom one of 7 minutes, and volumes.
struct MemoryRun {
    std::string log;
    std::string bars5;

    explicit MemoryRun(const std::string& bytes, const std::string& name = "q.txt", bool russian = false,
                       DateOrder order = DateOrder::kAutomatic) {
        test::MemoryStore store("/quotes/");
        store.AddFile(name, bytes);
        ConversionSettings settings;
        settings.directory = store.directory();
        settings.intervalEnabled = {true, true, true, true, true};
        settings.customIntervalText = "7";
        settings.withVolume = true;
        settings.russianLog = russian;
        settings.dateOrder = order;
        test::RecordingReport report;
        RunConversion(store, FixedOptions(settings), report);
        log = report.LogText();
        bars5 = store.Read(name.substr(0, name.size() - 4) + "-m5.txt");
    }
};

constexpr const char* kBarHeader = "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n";

TEST(LayoutReader, ReadsTheLayoutsOfRealExports) {
    const struct {
        const char* family;
        std::string file;
        std::string layout;
        std::string bars;  // of the 5-minute file, after its header
    } cases[] = {
        {"Finam with ; and DD/MM/YY",
         "<TICKER>;<PER>;<DATE>;<TIME>;<OPEN>;<HIGH>;<LOW>;<CLOSE>;<VOL>\r\n"
         "SBER;5;31/01/24;10:05;250,50;251,00;250,10;250,75;12000\r\nSBER;5;31/01/"
         "24;10:10;250,6;251,2;250;250,8;13000\r\n",
         "';' <TICKER> <PER> <DATE> DD/MM/YY, <TIME> HH:MM, <OPEN> <HIGH> <LOW> <CLOSE> <VOL>, decimal ','",
         "SBER,20240131,100500,250.5,251.,250.1,250.75,12000\r\nSBER,20240131,101000,250.6,251.2,250.,250.8,"
         "13000\r\n"},
        {"MetaTrader 5 with tick volume for a zero volume",
         "<DATE>\t<TIME>\t<OPEN>\t<HIGH>\t<LOW>\t<CLOSE>\t<TICKVOL>\t<VOL>\t<SPREAD>\n"
         "2024.01.02\t17:00:00\t1.10438\t1.1044\t1.104\t1.1042\t57\t0\t3\n",
         "'\\t' <DATE> YYYY.MM.DD, <TIME> HH:MM:SS, <OPEN> <HIGH> <LOW> <CLOSE> <VOL> - -, decimal '.'",
         "Q,20240102,170000,1.1044,1.1044,1.104,1.1042,57\r\n"},
        {"Dukascopy with decimal volumes",
         "Gmt time,Open,High,Low,Close,Volume\n02.01.2024 17:00:00.000,1.1,1.2,1.0,1.1,1234.56\n"
         "02.01.2024 17:01:00.000,1.1,1.3,1.0,1.2,0.5\n",
         "',' <DATE> DD.MM.YYYY HH:MM:SS, <OPEN> <HIGH> <LOW> <CLOSE> <VOL>, decimal '.'",
         "Q,20240102,170000,1.1,1.2,1.,1.1,1235\r\nQ,20240102,170500,1.1,1.3,1.,1.2,1\r\n"},
        {"Yahoo, daily, with a day without trades",
         "Date,Open,High,Low,Close,Adj Close,Volume\n2024-01-02,187.15,188.44,183.89,185.64,185.4,82488700\n"
         "2024-01-03,,,,,,\n2024-01-04,null,null,null,null,null,null\n",
         "',' <DATE> YYYY-MM-DD, <OPEN> <HIGH> <LOW> <CLOSE> - <VOL>, decimal '.'",
         "Q,20240102,000500,187.15,188.44,183.89,185.64,82488700\r\n"},
        {"Investing, quoted, newest first, close named Price",
         "\xEF\xBB\xBF\"Date\",\"Price\",\"Open\",\"High\",\"Low\",\"Vol.\",\"Change %\"\n"
         "\"Jan 31, 2024\",\"1,085.5\",\"1,084.5\",\"1,087.5\",\"1,083.5\",\"790.05K\",\"0.10%\"\n"
         "\"Jan 30, 2024\",\"1,084.4\",\"1,083.5\",\"1,087.0\",\"1,082.0\",\"-\",\"-0.20%\"\n",
         "',' <DATE> Mon DD, YYYY, <CLOSE> <OPEN> <HIGH> <LOW> <VOL> -, decimal '.'",
         "Q,20240131,000500,1084.5,1087.5,1083.5,1085.5,790050\r\nQ,20240130,000500,1083.5,1087.,1082.,1084."
         "4,0\r\n"},
        {"HistData without a header or a ticker", "20240102 170000;1.104380;1.104400;1.104000;1.104200;7\n",
         "';' <DATE> YYYYMMDD HHMMSS, <OPEN> <HIGH> <LOW> <CLOSE> <VOL>, decimal '.'",
         "Q,20240102,170000,1.1044,1.1044,1.104,1.1042,7\r\n"},
        {"Finam ticks with one price",
         "<TICKER>,<PER>,<DATE>,<TIME>,<LAST>,<VOL>\nSBER,0,20240131,100001,250.5,10\nSBER,0,20240131,100502,"
         "250.7,5\n",
         "',' <TICKER> <PER> <DATE> YYYYMMDD, <TIME> HHMMSS, <LAST> <VOL>, decimal '.'",
         "SBER,20240131,100000,250.5,250.5,250.5,250.5,10\r\nSBER,20240131,100500,250.7,250.7,250.7,250.7,"
         "5\r\n"},
        {"a preamble, Russian names, blanks and empty lines",
         "https://example.org/export?id=1\n\nДата|Время|Откр|Макс|Мин|Закр|Объём\n  \n"
         "31.01.2024|10:05|1 250,5|1 251|1 250,1|1 250,75|1 200\n",
         "'|' <DATE> DD.MM.YYYY, <TIME> HH:MM, <OPEN> <HIGH> <LOW> <CLOSE> <VOL>, decimal ','",
         "Q,20240131,100500,1250.5,1251.,1250.1,1250.75,1200\r\n"},
        {"Windows-1251 names in another order",
         "\xC7\xE0\xEA\xF0;\xC4\xE0\xF2\xE0;\xCE\xF2\xEA\xF0;\xCC\xE0\xEA\xF1;\xCC\xE8\xED\n"
         "250,75;20240131;250,5;251;250,1\n",
         "';' <CLOSE> <DATE> YYYYMMDD, <OPEN> <HIGH> <LOW>, decimal ','",
         "Q,20240131,000500,250.5,251.,250.1,250.75,0\r\n"},
        {"no names: ticker, period, Unix time, prices, volume",
         "sber,5,1706695559,250.5,251,250.1,250.75,12000\n",
         "',' <TICKER> <PER> <DATE> Unix seconds, <OPEN> <HIGH> <LOW> <CLOSE> <VOL>, decimal '.'",
         "SBER,20240131,100500,250.5,251.,250.1,250.75,12000\r\n"},
        {"a stock export re-saved with the time last",
         "Date,Open,High,Low,Close,Volume ,Filename,Time\n2024-01-15,1.5,1.6,1.4,1.5,100,X.txt,10:00\n"
         "2024-01-15,1.5,1.7,1.5,1.6,50,X.txt,10:05\n",
         "',' <DATE> YYYY-MM-DD, <OPEN> <HIGH> <LOW> <CLOSE> <VOL> - <TIME> HH:MM, decimal '.'",
         "Q,20240115,100000,1.5,1.6,1.4,1.5,100\r\nQ,20240115,100500,1.5,1.7,1.5,1.6,50\r\n"},
        {"Investing in Spanish: the close first",
         "\"Fecha\",\"\xC3\x9Altimo\",\"Apertura\",\"M\xC3\xA1ximo\",\"M\xC3\xADnimo\",\"Vol.\",\"% var.\"\n"
         "\"15.01.2024\",\"151,5\",\"150,0\",\"152,0\",\"149,5\",\"1,23M\",\"0,5%\"\n",
         "',' <DATE> DD.MM.YYYY, <CLOSE> <OPEN> <HIGH> <LOW> <VOL> -, decimal ','",
         "Q,20240115,000500,150.,152.,149.5,151.5,1230000\r\n"},
        {"Japanese names, the ticker a code, a turnover after the volume",
         "\xE3\x82\xB3\xE3\x83\xBC\xE3\x83\x89,\xE6\x97\xA5\xE4\xBB\x98,\xE5\xA7\x8B\xE5\x80\xA4,"
         "\xE9\xAB\x98\xE5\x80\xA4,\xE5\xAE\x89\xE5\x80\xA4,\xE7\xB5\x82\xE5\x80\xA4,"
         "\xE5\xA3\xB2\xE8\xB2\xB7\xE4\xBB\xA3\xE9\x87\x91,\xE5\x87\xBA\xE6\x9D\xA5\xE9\xAB\x98\n"
         "7203,2024/01/15,2500,2550,2490,2520,1260000000,500000\n",
         "',' <TICKER> <DATE> YYYY/MM/DD, <OPEN> <HIGH> <LOW> <CLOSE> - <VOL>, decimal '.'",
         "7203,20240115,000500,2500.,2550.,2490.,2520.,500000\r\n"},
        {"a trade count beside the volume, named",
         "Date,Time,Open,High,Low,Close,Trades,total_volume\n2024-01-15,10:00,1.5,1.6,1.4,1.5,7,100\n",
         "',' <DATE> YYYY-MM-DD, <TIME> HH:MM, <OPEN> <HIGH> <LOW> <CLOSE> - <VOL>, decimal '.'",
         "Q,20240115,100000,1.5,1.6,1.4,1.5,100\r\n"},
        {"headerless ticks: Unix seconds, a price and an amount", "1705312800,1.5,3\n1705312830,1.6,2\n",
         "',' <DATE> Unix seconds, <LAST> <VOL>, decimal '.'", "Q,20240115,100000,1.5,1.6,1.5,1.6,5\r\n"},
        {"the high and the low by content where the names are of another language",
         "Date;Erster;Tief;Hoch;Schluss\n2024-01-15;1,5;1,4;1,6;1,5\n",
         "';' <DATE> YYYY-MM-DD, <OPEN> <LOW> <HIGH> <CLOSE>, decimal ','",
         "Q,20240115,000500,1.5,1.6,1.4,1.5,0\r\n"},
        {"bid prices with an ask column beside them and no volume",
         "Date,Time,BidOpen,BidHigh,BidLow,BidClose,AskOpen\n2024-01-15,10:00,1.1,1.3,1.0,1.2,1.25\n",
         "',' <DATE> YYYY-MM-DD, <TIME> HH:MM, <OPEN> <HIGH> <LOW> <CLOSE> -, decimal '.'",
         "Q,20240115,100000,1.1,1.3,1.,1.2,0\r\n"},
        {"times in twelve hours, named",
         "Date,Time,Open,High,Low,Close,Volume\n01/15/2024,9:30 AM,1.5,1.6,1.4,1.5,100\n"
         "01/15/2024,12:05PM,1.5,1.7,1.5,1.6,50\n01/16/2024,12:00 am,1.6,1.6,1.6,1.6,1\n",
         "',' <DATE> MM/DD/YYYY, <TIME> H:MM AM/PM, <OPEN> <HIGH> <LOW> <CLOSE> <VOL>, decimal '.'",
         "Q,20240115,093000,1.5,1.6,1.4,1.5,100\r\nQ,20240115,120500,1.5,1.7,1.5,1.6,50\r\n"
         "Q,20240116,000500,1.6,1.6,1.6,1.6,1\r\n"},
        {"times in twelve hours beside the date, without a header",
         "2024-01-15;10:01:00 PM;1,5;1,6;1,4;1,5;100\n",
         "';' <DATE> YYYY-MM-DD, <TIME> H:MM:SS AM/PM, <OPEN> <HIGH> <LOW> <CLOSE> <VOL>, decimal ','",
         "Q,20240115,220500,1.5,1.6,1.4,1.5,100\r\n"},
        {"a date-time in twelve hours", "Date,Open,High,Low,Close\n1/15/2024 10:01:59 PM,1.5,1.6,1.4,1.5\n",
         "',' <DATE> MM/DD/YYYY H:MM:SS AM/PM, <OPEN> <HIGH> <LOW> <CLOSE>, decimal '.'",
         "Q,20240115,220500,1.5,1.6,1.4,1.5,0\r\n"},
        {"hours and minutes apart by a dot in a column named the time",
         "Fecha;Hora;Apertura;M\xC3\xA1ximo;M\xC3\xADnimo;Cierre\n15.01.2024;9.07;1,5;1,6;1,4;1,5\n"
         "15.01.2024;10.01;1,5;1,6;1,4;1,5\n",
         "';' <DATE> DD.MM.YYYY, <TIME> HH.MM, <OPEN> <HIGH> <LOW> <CLOSE>, decimal ','",
         "Q,20240115,091000,1.5,1.6,1.4,1.5,0\r\nQ,20240115,100500,1.5,1.6,1.4,1.5,0\r\n"},
        {"hours and minutes apart by an h in a column named the time",
         "Date;Heure;Ouverture;Haut;Bas;Cl\xC3\xB4ture\n15/01/2024;10h01;1,5;1,6;1,4;1,5\n",
         "';' <DATE> DD/MM/YYYY, <TIME> HHhMM, <OPEN> <HIGH> <LOW> <CLOSE>, decimal ','",
         "Q,20240115,100500,1.5,1.6,1.4,1.5,0\r\n"},
        {"a price like 10.01 beside the date is no time without a header",
         "2024-01-15;10.01;10.05;9.99;10.02;100\n",
         "';' <DATE> YYYY-MM-DD, <OPEN> <HIGH> <LOW> <CLOSE> <VOL>, decimal '.'",
         "Q,20240115,000500,10.01,10.05,9.99,10.02,100\r\n"},
        {"dates with short month names and two-digit years",
         "Date,Open,High,Low,Close,Volume\n30-Dec-10,1.5,1.6,1.4,1.5,100\n31-Dec-10,1.5,1.7,1.5,1.6,50\n",
         "',' <DATE> DD-Mon-YY, <OPEN> <HIGH> <LOW> <CLOSE> <VOL>, decimal '.'",
         "Q,20101230,000500,1.5,1.6,1.4,1.5,100\r\nQ,20101231,000500,1.5,1.7,1.5,1.6,50\r\n"},
        {"dates in capitals with times: the T of OCT is no ISO T",
         "DATE,OPEN,HIGH,LOW,CLOSE\n15-OCT-2024 10:01,1.5,1.6,1.4,1.5\n15-OCT-2024 10:07,1.5,1.7,1.5,1.6\n",
         "',' <DATE> DD-Mon-YYYY HH:MM, <OPEN> <HIGH> <LOW> <CLOSE>, decimal '.'",
         "Q,20241015,100500,1.5,1.6,1.4,1.5,0\r\nQ,20241015,101000,1.5,1.7,1.5,1.6,0\r\n"},
        {"prices with a dollar sign before them",
         "Date,Close,Volume,Open,High,Low\n01/31/2024,$214.44,1000,$213.00,$215.00,$212.50\n",
         "',' <DATE> MM/DD/YYYY, <CLOSE> <VOL> <OPEN> <HIGH> <LOW>, decimal '.'",
         "Q,20240131,000500,213.,215.,212.5,214.44,1000\r\n"},
        {"prices with a euro sign after them",
         "Datum;Er\xC3\xB6"
         "ffnung;Hoch;Tief;Schluss\n31.01.2024;1.213,00 \xE2\x82\xAC;1.215,00 \xE2\x82\xAC;"
         "1.212,50 \xE2\x82\xAC;1.214,50 \xE2\x82\xAC\n",
         "';' <DATE> DD.MM.YYYY, <OPEN> <HIGH> <LOW> <CLOSE>, decimal ','",
         "Q,20240131,000500,1213.,1215.,1212.5,1214.5,0\r\n"},
        {"yymmdd dates that the design reading would take as they stand",
         "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\nSBER,5,240131,235900,1,2,0.5,1.5,"
         "3\n",
         "',' <TICKER> <PER> <DATE> YYMMDD, <TIME> HHMMSS, <OPEN> <HIGH> <LOW> <CLOSE> <VOL>, decimal '.'",
         "SBER,20240131,235900,1.,2.,0.5,1.5,3\r\n"},
    };
    for (const auto& c : cases) {
        const MemoryRun run(c.file);
        EXPECT_EQ(run.log, "Processing: q.txt\nLayout: " + c.layout + "\nOk\n") << c.family;
        EXPECT_EQ(run.bars5, kBarHeader + c.bars) << c.family;
        std::string russian = c.layout;
        russian.replace(russian.rfind(", decimal "), 10, ", десятичный знак ");
        EXPECT_NE(MemoryRun(c.file, "q.txt", true).log.find("\nФормат: " + russian + "\n"), std::string::npos)
            << c.family;
    }
}

TEST(LayoutReader, EveryLineIsReadOrEndsTheFileWithItsNumberAndASampleThatDoesNotGoesTheDesignWay) {
    // 1.2 MB of quotes: the lines after the first mebibyte are read as the sample decided.
    std::string head = "Date;Time;Open;High;Low;Close;Volume\n";
    while (head.size() < 1'200'000) head += "31.01.2024;10:05;1;2;0,5;1,5;7\n";
    const auto last = std::to_string(std::count(head.begin(), head.end(), '\n') + 1);
    const struct {
        std::string file;
        bool russian;
        std::string error;  // without the line's number; none for a file that converts
    } cases[] = {
        {head + "31.13.2024;10:05;1;2;0,5;1,5;7\n", false, "'31.13.2024' is not a valid date"},
        {head + "31.13.2024;10:05;1;2;0,5;1,5;7\n", true, "'31.13.2024' is not a valid date"},
        {head + "31.01.2024;10:75;1;2;0,5;1,5;7\n", false, "'10:75' is not a valid time"},
        {head + "31.01.2024;10:10;1;n/a;0,5;1,5;7\n", false, "'n/a' is not a valid floating point value"},
        {head + "31.01.2024;10:10;1;2;0,5;1,5;7 lots\n", false, "'7 lots' is not a valid integer value"},
        {head + "Total;;;;;1,5;\n", false, "'Total' is not a valid date"},
        {head + "Total;;;;;;\n", false, "'Total' is not a valid date"},
        {head + "THIS LINE IS CORRUPTED\n", false, "'THIS LINE IS CORRUPTED' has too few fields"},
        {head + "THIS LINE IS CORRUPTED", true, "'THIS LINE IS CORRUPTED' has too few fields"},
        {head + "31.01.2024;10:10\n", false, "'31.01.2024;10:10' has too few fields"},
        {head + "SBER,5,20240131,101000,1,2,0.5,1.5,7\n", false,
         "'SBER,5,20240131,101000,1,2,0.5,1.5,7' has too few fields"},
        {head + std::string(100, '\x01') + "\xFF;\x80", false,
         "'" + std::string(64, '\x01') + "...' has too few fields"},
        {head + "01.02.2024;10:10;;null;;;\n \n\n", false, ""},
    };
    for (const auto& c : cases) {
        const std::string log = MemoryRun(c.file, "q.txt", c.russian).log;
        const std::string where = c.russian ? " (строка " + last + ")" : " (line " + last + ")";
        EXPECT_TRUE(log.ends_with(c.error.empty() ? "\nOk\n" : "Error: " + c.error + where + "\n")) << log;
    }
    // Within the sample: a line that does not read fails by itself; a file no layout reads says so.
    std::string finam = "<TICKER>;<PER>;<DATE>;<TIME>;<OPEN>;<HIGH>;<LOW>;<CLOSE>;<VOL>\n";
    for (int day = 1; day <= 31; ++day)
        finam += "GAZP;D;" + std::string(day < 10 ? "0" : "") + std::to_string(day) +
                 "/04/24;10:00;1,5;1,6;1,4;1,5;1\n";
    const struct {
        std::string file;
        bool russian;
        std::string error;
        DateOrder order = DateOrder::kAutomatic;
    } refusals[] = {
        {finam, false, "'31/04/24' is not a valid date (line 32)"},
        {finam, false, "'31/04/24' is not a valid date (line 32)", DateOrder::kDayMonthYear},
        {"<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\nX,1,2024-13-45,100100,1.5,1.6,1.4,"
         "1.5,1\n",
         false, "'2024-13-45' is not a valid date (line 2)"},
        {"Date,Time,Open,High,Low,Close\n2024-01-15,10:00,1.5,1.6,1.4,1.5\n2024-01-15,10h05,1.5,1.6,1.4,1.5\n"
         "2024-01-15,10:10,1.5,1.6,1.4,1.5\n",
         false, "'10h05' is not a valid time (line 3)"},
        {"Date,Time,Open,High,Low,Close\n2024-01-15,10:01 PM,1.5,1.6,1.4,1.5\n"
         "2024-01-15,13:05 PM,1.5,1.6,1.4,1.5\n",
         false, "'13:05 PM' is not a valid time (line 3)"},
        {"Fecha;Hora;Apertura;M\xC3\xA1ximo;M\xC3\xADnimo;Cierre\n15.01.2024;10.01;1,5;1,6;1,4;1,5\n"
         "15.01.2024;25.01;1,5;1,6;1,4;1,5\n",
         true, "'25.01' is not a valid time (строка 3)"},
        {"Date,Open,High,Low,Close\n30-Dec-10,1.5,1.6,1.4,1.5\n31-Dec-10,1.5,1.6,1.4,1.5\n"
         "32-Dec-10,1.5,1.6,1.4,1.5\n",
         false, "'32-Dec-10' is not a valid date (line 4)"},
        {"Date,Open,High,Low,Close\n01/31/2024,$213.00,$215.00,$212.50,$214.44\n"
         "02/01/2024,$213.00,$215.00,$212.50,$21x\n",
         false, "'$21x' is not a valid floating point value (line 3)"},
        {"SBER;20240131;10:05;1;2;0,5;1,5\nSBER;20240131;10:10;1;2;0,5\n", false,
         "'SBER;20240131;10:10;1;2;0,5' has too few fields (line 2)"},
        {"Date;Price\nyesterday;12\n", false,
         "no layout Tarnix reads fits this file: 'yesterday;12' (line 2)"},
        {"Date;Price\nyesterday;12\n", true,
         "no layout Tarnix reads fits this file: 'yesterday;12' (строка 2)"},
        {"Date,Ultima,Prima,High,Low\n2024-01-15,2,1,3,0.5\n", false,
         "no layout Tarnix reads fits this file: '2024-01-15,2,1,3,0.5' (line 2)"},
        {"2024-01-15,2,1,3,0.5\n", false,
         "cannot tell the open from the close in column 2 and column 3: a header naming them would settle "
         "it"},
    };
    for (const auto& c : refusals) {
        const std::string log = MemoryRun(c.file, "q.txt", c.russian, c.order).log;
        EXPECT_TRUE(log.ends_with("Error: " + c.error + "\n")) << log;
    }
}

// Random quotes written in the design layout and in a random layout of a real export give the same bars.
TEST(LayoutReader, RandomLayoutsGiveTheBarsOfTheDesignLinesOfTheSameQuotes) {
    int failures = 0;
    for (std::uint32_t seed = 1; seed <= 400 && failures < 3; ++seed) {
        test::Chooser chooser(seed);
        const test::RenderedQuotes quotes = test::RenderQuotes(chooser);
        const std::string difference = test::ReadingDifference(quotes, seed % 2 == 0 ? "7" : "240");
        if (difference.empty()) continue;
        ++failures;
        ADD_FAILURE() << "seed " << seed << ": " << difference << "--- design file " << quotes.fileName
                      << ":\n"
                      << quotes.design << "--- layout file:\n"
                      << quotes.layout;
    }
}

}  // namespace
}  // namespace tarnix
