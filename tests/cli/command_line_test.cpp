#include "command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tarnix/system.h"

namespace tarnix::cli {
namespace {

// The parse in one short text: "directory slots custom flags", slots as 0/1 from slot 1; or the action or
// the usage error. The separator appended to the directory shows as "/" on every system.
std::string ParseToText(const std::vector<const char*>& args) {
    try {
        const CommandLine line = ParseCommandLine(args);
        if (line.action != Action::kConvert) return line.action == Action::kShowHelp ? "help" : "version";
        const ConversionSettings& settings = line.settings;
        std::string text = settings.directory;
        if (text.back() == kPathSeparator) text.back() = '/';
        text += " ";
        for (const bool on : settings.intervalEnabled) text += on ? '1' : '0';
        text += " " + settings.customIntervalText;
        const std::pair<bool, const char*> flags[] = {{settings.addPerField, " per"},
                                                      {settings.addMs7Period, " ms7"},
                                                      {settings.addPeriodToSymbol, " sym"},
                                                      {settings.withVolume, " vol"},
                                                      {settings.russianLog, " rus"}};
        for (const auto& [on, name] : flags) text += on ? name : "";
        if (line.workers != 0) text += " j" + std::to_string(line.workers);
        if (settings.priceDecimals != kDefaultPriceDecimals)
            text += " dec" + std::to_string(settings.priceDecimals);
        if (settings.dateOrder != DateOrder::kAutomatic)
            text += " order" + std::to_string(static_cast<int>(settings.dateOrder));
        if (settings.decimalMark != 0) text += std::string(" mark") + settings.decimalMark;
        if (!settings.metaStockFolder.empty()) text += " ms:" + settings.metaStockFolder;
        return text;
    } catch (const UsageError& error) {
        return std::string("error: ") + error.what();
    }
}

using Cases = std::vector<std::pair<std::vector<const char*>, std::string>>;

TEST(CommandLineTest, AcceptedLines) {
    const Cases cases = {
        {{"-i", "5", "q"}, "q/ 10000 240"},
        {{"-i5,10,15,60", "q/"}, "q/ 11110 240"},
        {{"q", "--intervals=0120,15"}, "q/ 00101 120"},
        {{"--intervals", "240,5,240,5", "q"}, "q/ 10001 240"},
        {{"-i", "2147483647", "q"}, "q/ 00001 2147483647"},
        {{"-i", "60", "--per-field", "--ms7-period", "--symbol-period", "--volume", "--russian", "q"},
         "q/ 00010 240 per ms7 sym vol rus"},
        {{"-i", "5", "--", "-q"}, "-q/ 10000 240"},
        {{"-i", "5", "-"}, "-/ 10000 240"},
        {{"-j", "2", "-i", "5", "q"}, "q/ 10000 240 j2"},
        {{"-i", "5", "--jobs=16", "q"}, "q/ 10000 240 j16"},
        {{"-i", "5", "--date-order", "DMY", "q"}, "q/ 10000 240 order1"},
        {{"-i", "5", "--decimals", "5", "q"}, "q/ 10000 240 dec5"},
        {{"--decimals=8", "-i", "5", "q"}, "q/ 10000 240 dec8"},
        {{"-i", "5", "--decimals", "1", "q"}, "q/ 10000 240 dec1"},
        {{"-i", "5", "--date-order=MDY", "q"}, "q/ 10000 240 order2"},
        {{"--date-order", "YMD", "-i", "5", "q"}, "q/ 10000 240 order3"},
        {{"-i", "5", "--decimal-mark", ",", "q"}, "q/ 10000 240 mark,"},
        {{"-i", "5", "--decimal-mark=.", "q"}, "q/ 10000 240 mark."},
        {{"-i", "5,60,1", "--metastock", "out", "q"}, "q/ 10011 1 ms:out"},
        {{"--metastock=a b", "-i", "15", "q"}, "q/ 00100 240 ms:a b"},
        {{"-h"}, "help"},
        {{"--help", "--bogus"}, "help"},
        {{"--version", "q"}, "version"},
    };
    for (const auto& [args, expected] : cases) EXPECT_EQ(ParseToText(args), expected);
}

TEST(CommandLineTest, UsageErrors) {
    const std::string notPositive = "' (positive minutes expected)";
    const Cases cases = {
        {{"q"}, "missing option --intervals, e.g. -i 5,15,60"},
        {{"-i", "5"}, "missing DIRECTORY"},
        {{"-i", "5", "a", "b"}, "only one DIRECTORY is possible, got 'b' too"},
        {{"-i", "0", "q"}, "invalid interval '0" + notPositive},
        {{"-i", "-5", "q"}, "invalid interval '-5" + notPositive},
        {{"-i", "5,x", "q"}, "invalid interval 'x" + notPositive},
        {{"-i", "5,,15", "q"}, "invalid interval '" + notPositive},
        {{"-i", "5,", "q"}, "invalid interval '" + notPositive},
        {{"-i", "2147483648", "q"}, "interval '2147483648' is too large (at most 2147483647 minutes)"},
        {{"-i", "240,5,120", "q"},
         "only one interval besides 5, 10, 15 and 60 is possible, got '240' and '120'"},
        {{"-i", "5", "-i", "5", "q"}, "option --intervals may be given only once"},
        {{"q", "-i"}, "option '-i' needs a list of minutes"},
        {{"-i", "5", "--bogus", "q"}, "unknown option '--bogus'"},
        {{"-i", "5", "-x", "q"}, "unknown option '-x'"},
        {{"-i", "5", "--volume=yes", "q"}, "option '--volume' takes no value"},
        {{"-i", "5", "-j0", "q"}, "invalid number of jobs '0' (1 to 256 expected)"},
        {{"-i", "5", "-j", "2x", "q"}, "invalid number of jobs '2x' (1 to 256 expected)"},
        {{"-i", "5", "--date-order", "dmy", "q"}, "invalid date order 'dmy' (DMY, MDY or YMD expected)"},
        {{"-i", "5", "--decimals", "9", "q"}, "invalid number of decimals '9' (1 to 8 expected)"},
        {{"-i", "5,240", "--metastock", "out", "q"},
         "--metastock takes intervals of 1 to 60 minutes, got '240'"},
        {{"-i", "5", "--metastock=", "q"}, "option '--metastock' needs a folder, got ''"},
        {{"q", "-i", "5", "--metastock"}, "option '--metastock' needs a folder"},
        {{"-i", "5", "--decimals", "0", "q"}, "invalid number of decimals '0' (1 to 8 expected)"},
        {{"-i", "5", "--decimals=$5", "q"}, "invalid number of decimals '$5' (1 to 8 expected)"},
        {{"-i", "5", "q", "--decimals"}, "option '--decimals' needs a number of decimals"},
        {{"-i", "5", "--decimal-mark", ";", "q"}, "invalid decimal mark ';' ('.' or ',' expected)"},
        {{"-i", "5", "--decimal-mark=", "q"}, "invalid decimal mark '' ('.' or ',' expected)"},
        {{"-i", "5", "q", "--date-order"}, "option '--date-order' needs an order of day, month and year"},
    };
    for (const auto& [args, expected] : cases) EXPECT_EQ(ParseToText(args), "error: " + expected);
}

TEST(CommandLineTest, EmptyDirectoryIsTheProgramsOwn) {
    const std::string own = platform::ProgramDirectory();
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(own) / TARNIX_CLI_TESTS_NAME)) << own;
    EXPECT_EQ(ParseToText({"-i", "5", ""}), own + "/ 10000 240");
}

}  // namespace
}  // namespace tarnix::cli
