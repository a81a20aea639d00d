#include "console_report.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tarnix::cli {
namespace {

TEST(ConsoleReportTest, OnlyLinesStartingWithErrorCountAsFailures) {
    const std::pair<std::vector<std::string_view>, bool> cases[] = {
        {{"Processing: A.txt", "Ok"}, false},
        {{"Processing: A.txt", "Error: File not found", "Processing: B.txt", "Ok"}, true},
        {{"Processing: Error: .txt", "Error:Ok", " Error: x"}, false},
    };
    for (const auto& [lines, failed] : cases) {
        std::ostringstream log;
        ConsoleReport report(log, nullptr);
        std::string expectedLog;
        for (const std::string_view line : lines) {
            report.AddLogLine(line);
            report.ShowLineCounter("Строка: 1");
            expectedLog.append(line).append("\n");
        }
        EXPECT_EQ(report.errorLogged(), failed) << expectedLog;
        EXPECT_EQ(log.str(), expectedLog);
    }
}

TEST(ConsoleReportTest, ProgressLineIsRedrawnRarelyAndErasedBeforeLogLines) {
    std::ostringstream log;
    std::ostringstream progress;
    // A clock that moves on by one millisecond at every reading: one redraw every 100 lines.
    std::chrono::steady_clock::time_point now{};
    ConsoleReport report(log, &progress, [&now] { return now += std::chrono::milliseconds(1); });
    report.AddLogLine("Processing: A.txt");
    for (int line = 1; line <= 250; ++line) report.ShowLineCounter("Строка: " + std::to_string(line));
    const std::string drawn = "\rProcessing: A.txt  Строка: 100\rProcessing: A.txt  Строка: 200";
    EXPECT_EQ(progress.str(), drawn);
    report.AddLogLine("Ok");
    report.Finish();
    EXPECT_EQ(progress.str(), drawn + "\r\033[K");
    EXPECT_EQ(log.str(), "Processing: A.txt\nOk\n");
}

}  // namespace
}  // namespace tarnix::cli
