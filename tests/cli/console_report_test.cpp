#include "console_report.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tarnix::cli {
namespace {

TEST(ConsoleReportTest, ProgressLineIsRedrawnRarelyAndErasedBeforeLogLines) {
    std::ostringstream log;
    std::ostringstream progress;
    // A clock that moves on by one millisecond at every reading: one redraw every 100 lines.
    std::chrono::steady_clock::time_point now{};
    ConsoleReport report(log, &progress, [&now] { return now += std::chrono::milliseconds(1); });
    report.AddLogLine("Processing: A.txt");
    for (int line = 1; line <= 250; ++line) report.ShowLineCounter(line);
    const std::string drawn = "\rProcessing: A.txt  Строка: 100\rProcessing: A.txt  Строка: 200";
    EXPECT_EQ(progress.str(), drawn);
    report.AddLogLine("Ok");
    report.Finish();
    EXPECT_EQ(progress.str(), drawn + "\r\033[K");
    EXPECT_EQ(log.str(), "Processing: A.txt\nOk\n");
}

TEST(ConsoleReportTest, ControlCharactersOfNamesAreWrittenEscaped) {
    const std::pair<std::string, std::string> lines[] = {
        {"Processing: A\nOk\n.txt", R"(Processing: A\nOk\n.txt)"},
        {"Processing: \x1B[2J\rB\t.txt", R"(Processing: \x1b[2J\rB\t.txt)"},
        {std::string("Error: '\0\x7F' has too few fields", 30), R"(Error: '\x00\x7f' has too few fields)"},
        {"Processing: Котировки.txt", "Processing: Котировки.txt"},
    };
    for (const auto& [line, shown] : lines) EXPECT_EQ(EscapedControls(line), shown);
    std::ostringstream log;
    ConsoleReport report(log, nullptr);
    report.AddLogLine("Processing: A\nOk");
    EXPECT_EQ(log.str(), R"(Processing: A\nOk)"
                         "\n");
}

}  // namespace
}  // namespace tarnix::cli
