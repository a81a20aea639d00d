#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "test_support.h"

namespace tarnix {
namespace {

// A directory of quote files that tests ordering: colliding bar file names, a failing file, a bar file
// left from before, a subdirectory and files of different sizes.
void WriteMixedDirectory(const test::TempDir& dir, unsigned seed) {
    std::mt19937 random(seed);
    const auto quotes = [&random](const char* ticker, int lines) {
        std::string text = "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n";
        for (int i = 0; i < lines; ++i) {
            const int minute = 600 + i * static_cast<int>(1 + random() % 3);
            text += std::string(ticker) + ",1,2024013" + std::to_string(1 + i / 200 % 9) + "," +
                    std::to_string(minute / 60 * 100 + minute % 60) + "00," +
                    std::to_string(100 + random() % 50) + ".5,151,99.25," +
                    std::to_string(100 + random() % 50) + "," + std::to_string(random() % 900) + "\r\n";
        }
        return text;
    };
    for (int file = 0; file < 12; ++file) {
        dir.Write("F" + std::to_string(file) + ".txt", quotes("T", static_cast<int>(random() % 3000)));
    }
    dir.Write("C.txt", quotes("FIRST", 500));
    dir.Write("c.TXT", quotes("SECOND", 20));
    dir.Write("C.Txt", quotes("THIRD", 900));
    dir.Write("bad.txt", quotes("B", 50) + "B,1,20240131,1x0000,1,1,1,1,1\r\n");
    dir.Write("F3-m5.txt", "left from before");
    std::filesystem::create_directory(dir.PathOf("sub.txt"));
}

std::map<std::string, std::string> FilesOf(const test::TempDir& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        files[name] = entry.is_directory() ? "<dir>" : dir.Read(name);
    }
    return files;
}

std::string Convert(const test::TempDir& dir, int workers) {
    ConversionSettings options;
    options.directory = dir.path();
    options.intervalEnabled = {true, true, false, true, true};
    options.customIntervalText = "7";
    options.withVolume = true;
    test::RecordingReport report;
    RunConversionInParallel(FixedOptions(options), report, workers);
    return report.LogText() + report.counter;
}

TEST(RunConversionInParallel, GivesTheLogAndBarFilesOfASequentialRun) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        test::TempDir sequential;
        WriteMixedDirectory(sequential, seed);
        const std::string sequentialLog = Convert(sequential, 1);
        ASSERT_NE(sequentialLog.find("Error: '1x' is not a valid integer value"), std::string::npos);
        for (const int workers : {2, 3, 8}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(workers) + " workers");
            test::TempDir parallel;
            WriteMixedDirectory(parallel, seed);
            EXPECT_EQ(Convert(parallel, workers), sequentialLog);
            EXPECT_EQ(FilesOf(parallel), FilesOf(sequential));
        }
    }
}

}  // namespace
}  // namespace tarnix
