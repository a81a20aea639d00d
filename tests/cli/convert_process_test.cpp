// Runs the tarnix-convert program itself, as a script would, on directories of quote files made here.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "converter_process.h"
#include "tarnix/version.h"
#include "test_support.h"

namespace tarnix::cli {
namespace {

namespace fs = std::filesystem;

const std::string kDir = "<dir>";  // stands for the quote directory in argument tables
const std::string kSber = "SBER,20240131,100100,250.5,251,250.1,250.75,12000\r\n";

using Outcome = test::ProcessOutcome;

// A fresh quote directory.
class QuoteDir {
  public:
    explicit QuoteDir(const std::vector<std::pair<std::string, std::string>>& files) {
        for (const auto& [name, bytes] : files) dir_.Write(name, bytes);
    }

    std::string Read(const std::string& name) const { return dir_.Read(name); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(test::Utf8Path(dir_.path()))) {
            names.push_back(test::Utf8String(entry.path().filename()));
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // The directory as given on the command line: without its trailing separator.
    std::string Root() const { return dir_.path().substr(0, dir_.path().size() - 1); }

    // `args` name the directory as kDir (also as a prefix).
    Outcome Run(std::vector<std::string> args) const {
        for (std::string& arg : args) {
            if (arg.starts_with(kDir)) arg.replace(0, kDir.size(), Root());
        }
        return test::RunConverterProcess(args);
    }

  private:
    test::TempDir dir_;
};

TEST(ConvertProcessTest, WritesBarFilesAsOptionsSay) {
    const std::string prices = "250.5,251.,250.1,250.75";
    const std::string header = "<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>";
    const struct {
        std::vector<std::string> args;
        std::string barFile;
        std::string bytes;
    } cases[] = {
        {{"-i", "5", "--volume", kDir},
         "SBER-m5.txt",
         "<TICKER>," + header + ",<VOL>\r\nSBER,20240131,100500," + prices + ",12000\r\n"},
        {{kDir, "--per-field", "--symbol-period", "-i240"},
         "SBER-m240.txt",
         "<TICKER>,<PER>," + header + "\r\nSBER240,I,20240131,120000," + prices + "\r\n"},
        {{"-i", "5", "--decimals", "1", kDir},
         "SBER-m5.txt",
         "<TICKER>," + header + "\r\nSBER,20240131,100500,250.5,251.,250.1,250.8\r\n"},
        {{"--ms7-period", "--intervals=15", kDir},
         "SBER-m15.txt",
         "<TICKER>,<PER>," + header + "\r\nSBER,15,20240131,101500," + prices + "\r\n"},
    };
    for (const auto& c : cases) {
        const QuoteDir dir({{"SBER.txt", kSber}});
        const Outcome outcome = dir.Run(c.args);
        EXPECT_EQ(outcome.status, 0) << c.barFile;
        EXPECT_EQ(outcome.out, "Processing: SBER.txt\nOk\n");
        EXPECT_EQ(outcome.err, "");
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{c.barFile, "SBER.txt"}));
        EXPECT_EQ(dir.Read(c.barFile), c.bytes);
    }
}

TEST(ConvertProcessTest, LogAndExitStatus) {
    const std::string badHours = "SBER,20240131,ab0100,250.5,251,250.1,250.75\r\n";
    const struct {
        std::vector<std::pair<std::string, std::string>> files;
        std::vector<std::string> args;
        std::string out;
        int status;
    } cases[] = {
        {{}, {"-i", "5", kDir}, "", 0},
        {{{"A.txt", kSber}, {"B.txt", badHours}, {"C.txt", kSber}},
         {"-i", "5,60", kDir},
         "Processing: A.txt\nOk\nProcessing: B.txt\nError: 'ab' is not a valid integer value\n"
         "Processing: C.txt\nOk\n",
         1},
        {{{"A.txt", kSber}}, {"--russian", "-i", "5", kDir}, "Обрабатываем: A.txt\nOk\n", 0},
        {{}, {"--version"}, "tarnix-convert " TARNIX_VERSION "\n", 0},
    };
    for (const auto& c : cases) {
        const Outcome outcome = QuoteDir(c.files).Run(c.args);
        EXPECT_EQ(outcome.out, c.out);
        EXPECT_EQ(outcome.status, c.status) << c.out;
        EXPECT_EQ(outcome.err, "");
    }
}

TEST(ConvertProcessTest, UsageErrorsTouchNothing) {
    const struct {
        std::vector<std::string> args;
        std::string problem;
    } cases[] = {
        {{"-i", "0", kDir}, "invalid interval '0' (positive minutes expected)"},
        {{kDir}, "missing option --intervals, e.g. -i 5,15,60"},
        {{"-i", "5", "--quiet", kDir}, "unknown option '--quiet'"},
    };
    for (const auto& c : cases) {
        const QuoteDir dir({{"A.txt", kSber}});
        const Outcome outcome = dir.Run(c.args);
        EXPECT_EQ(outcome.status, 2) << c.problem;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err,
                  "tarnix-convert: " + c.problem + "\nTry 'tarnix-convert --help' for more information.\n");
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"A.txt"});
    }
}

TEST(ConvertProcessTest, AMissingDirectoryIsReportedNotPassedOverSilently) {
    const QuoteDir dir({});
    const Outcome outcome = dir.Run({"-i", "5", kDir + "/missing"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");
    // The reason is the system's own words, such as "No such file or directory".
    const std::string start =
        "tarnix-convert: cannot read directory '" + dir.Root() + "/missing" + kPathSeparator + "': ";
    EXPECT_TRUE(outcome.err.starts_with(start) && outcome.err.size() > start.size() + 5) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
}

}  // namespace
}  // namespace tarnix::cli
