#include "tarnix/conversion.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "test_support.h"

namespace tarnix {
namespace {

constexpr const char* kHeader5 = "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>\r\n";
constexpr const char* kQuotes =
    "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n"
    "SBER,1,20240131,100100,250.5,251,250.1,250.5,7000\r\n"
    "SBER,1,20240131,100600,250.6,250.9,250.2,250.75,5000\r\n";

class DirectoryRun : public ::testing::Test {
  protected:
    void SetUp() override { options.directory = dir.path(); }
    std::string Run() {
        report.log.clear();
        RunConversion(FixedOptions(options), report);
        return report.LogText();
    }
    // The log without the skip lines of bar files that earlier runs left.
    std::string RunWithoutSkips() {
        Run();
        std::erase_if(report.log, [](const std::string& line) { return line.starts_with("Skip (-m): "); });
        return report.LogText();
    }

    test::TempDir dir;
    ConversionSettings options;
    test::RecordingReport report;
};

TEST_F(DirectoryRun, SkipsBarFileNamesAndTakesUpTheRestInNameOrder) {
    for (const char* name :
         {"x-m5.txt", "abc.txt", "X-M60.TXT", "ABC-MAY.txt", "m5.txt", "notes.csv", "b.TxT"}) {
        dir.Write(name, "");
    }
    options.intervalEnabled[0] = true;
    EXPECT_EQ(Run(),
              "Skip (-m): ABC-MAY.txt\n"
              "Processing: abc.txt\nOk\n"
              "Processing: b.TxT\nOk\n"
              "Processing: m5.txt\nOk\n"
              "Skip (-m): x-m5.txt\n"
              "Skip (-m): X-M60.TXT\n");
    EXPECT_EQ(dir.Read("abc-m5.txt"), kHeader5);  // an empty input leaves the header alone
    EXPECT_EQ(dir.Read("b-m5.txt"), kHeader5);
}

TEST_F(DirectoryRun, LogsInRussianWhenAsked) {
    dir.Write("a.txt", "");
    dir.Write("a-m5.txt", "");
    options.russianLog = true;
    EXPECT_EQ(Run(), "Пропущен (-m): a-m5.txt\nОбрабатываем: a.txt\nНе выбран ни один интервал\n");
    options.intervalEnabled[0] = true;
    EXPECT_EQ(Run(), "Пропущен (-m): a-m5.txt\nОбрабатываем: a.txt\nOk\n");
}

TEST_F(DirectoryRun, WithoutIntervalNothingIsCreatedOrOpened) {
    dir.Write("a.txt", kQuotes);
    EXPECT_EQ(Run(), "Processing: a.txt\nThere is no selected interval\n");
    EXPECT_FALSE(dir.Exists("a-m5.txt"));
    EXPECT_EQ(report.counter, "");
}

TEST_F(DirectoryRun, DirectoriesWithoutQuoteFilesLogNothing) {
    dir.Write("a.csv", kQuotes);
    options.intervalEnabled[0] = true;
    EXPECT_EQ(Run(), "");
    options.directory = dir.path() + "missing/";
    EXPECT_EQ(Run(), "");
}

TEST_F(DirectoryRun, ConvertsEveryTickedIntervalAndShowsTheLineCounter) {
    dir.Write("SBER.txt", kQuotes);
    options.intervalEnabled = {true, true, true, true, true};
    options.customIntervalText = "240";
    EXPECT_EQ(Run(), "Processing: SBER.txt\nOk\n");
    EXPECT_EQ(report.counter, "Строка: 3");
    for (const char* bars :
         {"SBER-m5.txt", "SBER-m10.txt", "SBER-m15.txt", "SBER-m60.txt", "SBER-m240.txt"}) {
        EXPECT_TRUE(dir.Exists(bars)) << bars;
    }
    EXPECT_EQ(dir.Read("SBER-m5.txt"), std::string(kHeader5) +
                                           "SBER,20240131,100500,250.5,251.,250.1,250.5\r\n"
                                           "SBER,20240131,101000,250.6,250.9,250.2,250.75\r\n");
    EXPECT_EQ(dir.Read("SBER-m60.txt"),
              std::string(kHeader5) + "SBER,20240131,110000,250.5,251.,250.1,250.75\r\n");
    EXPECT_EQ(report.yields, 2 + 1 + 1 + 1 + 1);  // one yield for every record written
}

TEST_F(DirectoryRun, LfAndCrLfFilesGiveTheSameBars) {
    std::string lf = kQuotes;
    std::erase(lf, '\r');
    dir.Write("CRLF.txt", kQuotes);
    dir.Write("LF.txt", lf);
    options.intervalEnabled[0] = true;
    EXPECT_EQ(Run(), "Processing: CRLF.txt\nOk\nProcessing: LF.txt\nOk\n");
    EXPECT_EQ(dir.Read("CRLF-m5.txt"), dir.Read("LF-m5.txt"));
}

// Names beyond ASCII, "/" as the separator (Windows takes it as well) and paths longer than the 260
// characters that Windows once allowed.
TEST_F(DirectoryRun, CyrillicNamesSlashesAndLongPathsReachTheBarFiles) {
    const std::string cyrillic = "Котировки";
    const std::string deep = cyrillic + "/" + std::string(120, 'd') + "/" + std::string(120, 'e');
    options.intervalEnabled[0] = true;
    for (const std::string& sub : {cyrillic, deep}) {
        SCOPED_TRACE(sub.size());
        std::filesystem::create_directories(test::Utf8Path(dir.PathOf(sub)));
        dir.Write(sub + "/Сбер.txt", kQuotes);
        options.directory = dir.path() + sub + "/";
        EXPECT_EQ(Run(), "Processing: Сбер.txt\nOk\n");
        EXPECT_EQ(dir.Read(sub + "/Сбер-m5.txt"), std::string(kHeader5) +
                                                      "SBER,20240131,100500,250.5,251.,250.1,250.5\r\n"
                                                      "SBER,20240131,101000,250.6,250.9,250.2,250.75\r\n");
    }
}

// Windows refuses to share a file that another program writes; Linux has no such share modes.
TEST_F(DirectoryRun, AnInputOpenForWritingElsewhereFailsOnlyOnWindows) {
    dir.Write("SBER.txt", kQuotes);
    std::ofstream writer(test::Utf8Path(dir.PathOf("SBER.txt")), std::ios::binary | std::ios::app);
    options.intervalEnabled[0] = true;
#ifdef _WIN32
    EXPECT_EQ(Run(), "Processing: SBER.txt\nError: I/O error 32\n");
#else
    EXPECT_EQ(Run(), "Processing: SBER.txt\nOk\n");
#endif
}

TEST_F(DirectoryRun, RunningTwiceGivesTheSameBarFiles) {
    dir.Write("SBER.txt", kQuotes);
    options.intervalEnabled[1] = true;
    EXPECT_EQ(Run(), "Processing: SBER.txt\nOk\n");
    const std::string first = dir.Read("SBER-m10.txt");
    EXPECT_EQ(Run(), "Skip (-m): SBER-m10.txt\nProcessing: SBER.txt\nOk\n");
    EXPECT_EQ(dir.Read("SBER-m10.txt"), first);
}

TEST_F(DirectoryRun, ASubdirectoryNamedLikeAQuoteFileFailsBeforeItsBarFiles) {
    std::filesystem::create_directory(dir.PathOf("data.txt"));
    dir.Write("data-m60.txt", "old");
    dir.Write("next.txt", kQuotes);
    options.intervalEnabled[0] = true;
    options.intervalEnabled[3] = true;
    EXPECT_EQ(Run(),
              "Skip (-m): data-m60.txt\nProcessing: data.txt\nError: File access denied\nProcessing: "
              "next.txt\nOk\n");
    EXPECT_FALSE(dir.Exists("data-m5.txt"));
    EXPECT_EQ(dir.Read("data-m60.txt"), "old");
}

TEST_F(DirectoryRun, CustomIntervalZeroFailsAtTheFirstDataLine) {
    dir.Write("a.txt", kQuotes);
    dir.Write("b.txt", kQuotes);
    options.intervalEnabled[0] = true;
    options.intervalEnabled[4] = true;
    for (const char* custom : {"0", "abc"}) {
        options.customIntervalText = custom;
        EXPECT_EQ(RunWithoutSkips(),
                  "Processing: a.txt\nError: Division by zero\n"
                  "Processing: b.txt\nError: Division by zero\n")
            << custom;
        EXPECT_EQ(report.counter, "Строка: 2");
        EXPECT_FALSE(std::filesystem::exists(dir.PathOf("a-m5.txt")));  // a failed file leaves no bars
    }
    options.intervalEnabled[4] = false;
    EXPECT_EQ(RunWithoutSkips(), "Processing: a.txt\nOk\nProcessing: b.txt\nOk\n");
}

TEST_F(DirectoryRun, ACustomIntervalEqualToATickedOneIsRefusedNotInterleaved) {
    dir.Write("a.txt", kQuotes);
    options.intervalEnabled[0] = true;
    options.intervalEnabled[4] = true;
    options.customIntervalText = "5";
    EXPECT_EQ(Run(), "Processing: a.txt\nError: File access denied\n");
    EXPECT_FALSE(std::filesystem::exists(dir.PathOf("a-m5.txt")));
}

TEST_F(DirectoryRun, AFailedFileLeavesNoPendingBarForTheNext) {
    dir.Write("a.txt", "A,20240131,100100,1,1,1,1\r\nA,20240131,10xx00,1,1,1,1\r\n");
    dir.Write("a-m5.txt", "old");
    dir.Write("b.txt", "B,20240131,100200,2,2,2,2\r\n");
    options.intervalEnabled[0] = true;
    EXPECT_EQ(RunWithoutSkips(),
              "Processing: a.txt\nError: 'xx' is not a valid integer value\nProcessing: b.txt\nOk\n");
    EXPECT_EQ(dir.Read("a-m5.txt"), "old");  // a failure half-way keeps the earlier bars
    EXPECT_EQ(dir.Read("b-m5.txt"), std::string(kHeader5) + "B,20240131,100500,2.,2.,2.,2.\r\n");
}

TEST_F(DirectoryRun, ErrorMessageKeepsAFieldWithANulByte) {
    using namespace std::string_literals;
    dir.Write("a.txt", "A,20240131,1\0"s + "0100,1,1,1,1\r\n");
    options.intervalEnabled[0] = true;
    EXPECT_EQ(Run(), "Processing: a.txt\nError: '1\0' is not a valid integer value\n"s);
}

TEST_F(DirectoryRun, AReadOnlyBarFileFailsTheFileWhereItIsCreated) {
    dir.Write("SBER.txt", kQuotes);
    dir.Write("SBER-m10.txt", "old 10");
    dir.Write("SBER-m15.txt", "old 15");
    namespace fs = std::filesystem;
    fs::permissions(dir.PathOf("SBER-m10.txt"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    fs::permissions(dir.path(), fs::perms::all, fs::perm_options::add);
    options.intervalEnabled = {true, true, true, false, false};
    const int outcome = test::RunUnprivileged([&] {
        const std::string log = RunWithoutSkips();
        const bool failedAtCreation = log == "Processing: SBER.txt\nError: File access denied\n";
        if (!failedAtCreation) std::fprintf(stderr, "log of the unprivileged run:\n%s", log.c_str());
        return failedAtCreation && report.counter.empty();
    });
    if (outcome == test::kNoUnprivilegedRun)
        GTEST_SKIP() << "cannot drop to an unprivileged user to test file permissions";
    EXPECT_EQ(outcome, 0) << "the child's run did not log the access failure";
    EXPECT_FALSE(std::filesystem::exists(dir.PathOf("SBER-m5.txt")));  // dropped with its failed input
    EXPECT_EQ(dir.Read("SBER-m10.txt"), "old 10");
    EXPECT_EQ(dir.Read("SBER-m15.txt"), "old 15");
}

TEST_F(DirectoryRun, BadInputNeverCrashesAndEveryEntryHasOneOutcome) {
    std::mt19937 random(20240131);
    const std::string alphabet = "0123456789,.,,\r\n\x1A -+$xEe<TICKER>PERabc";
    for (int file = 0; file < 40; ++file) {
        std::string bytes(random() % 3000, ' ');
        for (char& c : bytes) {
            c = file % 2 == 0 ? alphabet[random() % alphabet.size()] : static_cast<char>(random() % 256);
        }
        dir.Write("r" + std::to_string(100 + file) + ".txt", bytes);
    }
    dir.Write("wide.txt", "W,20240131,100100," + std::string(100000, '7') + ",1,1,1\r\n" +
                              std::string(100000, 'W') + "\r\n");
    dir.Write("commas.txt", std::string(50, ',') + "\r\n" + std::string(100000, ',') + "\r\n");
    options.intervalEnabled = {true, true, true, true, true};
    options.customIntervalText = "7";
    options.withVolume = true;
    Run();
    int outcomes = 0;
    for (const std::string& line : report.log) {
        outcomes += line == "Ok" || line.rfind("Error: ", 0) == 0;
    }
    EXPECT_EQ(outcomes, 42);
    EXPECT_EQ(report.log.size(), 84u);
}

}  // namespace
}  // namespace tarnix
