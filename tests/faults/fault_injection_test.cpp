// Faults of the file system and of the input, injected around the tarnix-convert program itself: each must
// end its one file with the exact message while the run goes on with the next file.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "converter_process.h"
#include "test_support.h"

namespace tarnix {
namespace {

namespace fs = std::filesystem;

const std::string kQuote = "SBER,20240131,100100,250.5,251,250.1,250.75\r\n";
const std::string kBars =
    "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>\r\n"
    "SBER,20240131,100500,250.5,251.,250.1,250.75\r\n";

#ifdef TARNIX_SANITIZED_BUILD
constexpr bool kSanitized = true;
constexpr rlim_t kSanitizerDescriptors = 2;
#else
constexpr bool kSanitized = false;
constexpr rlim_t kSanitizerDescriptors = 0;
#endif

using test::ChildSetup;
using test::kCannotDropPrivileges;
using test::kNobody;

struct Outcome {
    int status = -1;
    std::string log;
};

// Runs tarnix-convert on `dir` with `args` in front; anything on standard error belongs in the comparison
// too: it is empty when all goes as planned.
Outcome RunConverter(const test::TempDir& dir, std::vector<std::string> args, const ChildSetup& setup,
                     const std::function<void(pid_t)>& whileRunning = {}) {
    args.push_back(dir.path());
    const test::ProcessOutcome run = test::RunConverterProcess(std::move(args), setup, whileRunning);
    return {run.status, run.out + run.err};
}

// Hands the directory and its files to the unprivileged user, so that only the modes set here restrict it.
void HandOver(const test::TempDir& dir) {
    if (::geteuid() != 0) return;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        ::lchown(entry.path().c_str(), kNobody, kNobody);
    }
    ::chown(dir.path().c_str(), kNobody, kNobody);
}

// 64-byte lines, so that no appended line straddles a page and a reader sees each one whole or not at all.
std::string PaddedLine(const std::string& date) {
    std::string line = "SBER," + date + ",100100,1,1,1,1,1";
    line.resize(62, ' ');
    return line + "\r\n";
}

// Whether the child has not ended yet; its end is left for the waiting that follows.
bool IsRunning(pid_t pid) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

// Appends lines of the next day while the converter runs; returns how many were appended.
std::size_t AppendWhileRunning(const std::string& path, pid_t pid) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    const std::string line = PaddedLine("20240201");
    std::size_t appended = 0;
    while (appended < 200'000 && IsRunning(pid)) {
        if (::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size())) ++appended;
    }
    ::close(fd);
    return appended;
}

const std::string kNoBarFile = "(no bar file)";
const std::string kBConverts = "Processing: B.txt\nOk\n";

struct FaultCase {
    const char* fault;
    std::function<void(const test::TempDir&)> prepare;
    std::vector<std::string> args;
    ChildSetup setup;
    std::string log;
    std::string barsOfA;  // expected A-m5.txt, when the case pins it; kNoBarFile: none may be there
    std::map<std::string, std::string> keptFiles = {};  // files whose bytes the run must leave as they were
    std::string logOfB = kBConverts;
};

// Quotes of A whose 5-minute bars, one for every line, fill far more than 4 KiB.
std::string ManyBarsOfA() {
    std::string bytes;
    for (int minute = 0; minute < 24 * 60; minute += 5) {
        bytes += "SBER,20240131," +
                 std::to_string(minute / 60 * 10000 + minute % 60 * 100 + 1000000).substr(1) +
                 ",250.5,251,250.1,250.75\r\n";
    }
    return bytes;
}

TEST(FaultInjection, EachFaultEndsItsFileAndTheNextConverts) {
    const std::string barFileRefused = "Skip (-m): A-m5.txt\nProcessing: A.txt\nError: File access denied\n";
    const FaultCase cases[] = {
        {"bar file beyond the file-size limit, as on a full disk",
         [](const test::TempDir& dir) { dir.Write("A.txt", ManyBarsOfA()); },
         {"-i", "5"},
         {.fileSizeLimit = 4096},
         "Processing: A.txt\nError: I/O error 27\n",
         kNoBarFile},
        {"hard link to the input at its bar file's name",
         [](const test::TempDir& dir) {
             dir.Write("A.txt", kQuote);
             fs::create_hard_link(dir.PathOf("A.txt"), dir.PathOf("A-m5.txt"));
         },
         {"-i", "5"},
         {},
         "Skip (-m): A-m5.txt\nProcessing: A.txt\nOk\n",
         kBars,
         {{"A.txt", kQuote}}},
        {"hard link to a file elsewhere at a bar file's name",
         [](const test::TempDir& dir) {
             dir.Write("A.txt", kQuote);
             fs::create_directory(dir.PathOf("elsewhere"));
             dir.Write("elsewhere/precious.dat", "precious");
             fs::create_hard_link(dir.PathOf("elsewhere/precious.dat"), dir.PathOf("A-m5.txt"));
         },
         {"-i", "5"},
         {},
         "Skip (-m): A-m5.txt\nProcessing: A.txt\nOk\n",
         kBars,
         {{"elsewhere/precious.dat", "precious"}}},
        {"FIFO at the second bar file's name, which keeps the first one's earlier bars",
         [](const test::TempDir& dir) {
             dir.Write("A.txt", kQuote);
             dir.Write("A-m5.txt", "old");
             ::mkfifo(dir.PathOf("A-m60.txt").c_str(), 0666);
         },
         {"-i", "5,60"},
         {},
         "Skip (-m): A-m5.txt\nSkip (-m): A-m60.txt\nProcessing: A.txt\nError: File access denied\n",
         "old"},
        {"two inputs for one bar file name, of which the first keeps it",
         [](const test::TempDir& dir) {
             dir.Write("A.TXT", kQuote);
             dir.Write("A.txt", "SBER,20240131,100100,1,1,1,1\r\n");
         },
         {"-j", "2", "-i", "5"},
         {},
         "Processing: A.TXT\nOk\nProcessing: A.txt\nError: File access denied\n",
         kBars},
        {"-j 4 under a limit of 16 open files, which converts as one at a time does",
         [](const test::TempDir& dir) {
             for (const char* name : {"A.txt", "A1.txt", "A2.txt", "A3.txt"}) dir.Write(name, kQuote);
         },
         {"-i", "5,10,15,60,7", "-j", "4"},
         {.fileLimit = 16 + kSanitizerDescriptors},
         "Processing: A.txt\nOk\nProcessing: A1.txt\nOk\nProcessing: A2.txt\nOk\nProcessing: A3.txt\nOk\n",
         kBars},
        {"input that is a link to a FIFO",
         [](const test::TempDir& dir) {
             ::mkfifo(dir.PathOf("pipe").c_str(), 0666);
             fs::create_symlink("pipe", dir.PathOf("A.txt"));
         },
         {"-i", "5"},
         {},
         "Processing: A.txt\nError: File access denied\n",
         kNoBarFile},
        {"link at a bar file's name, which must not be followed",
         [](const test::TempDir& dir) {
             dir.Write("A.txt", kQuote);
             dir.Write("precious.dat", "precious");
             fs::create_symlink("precious.dat", dir.PathOf("A-m5.txt"));
         },
         {"-i", "5"},
         {},
         barFileRefused,
         "precious"},
        {"FIFO at a bar file's name",
         [](const test::TempDir& dir) {
             dir.Write("A.txt", kQuote);
             ::mkfifo(dir.PathOf("A-m5.txt").c_str(), 0666);
         },
         {"-i", "5"},
         {},
         barFileRefused,
         ""},
        {"directory at a bar file's name",
         [](const test::TempDir& dir) {
             dir.Write("A.txt", kQuote);
             fs::create_directory(dir.PathOf("A-m5.txt"));
         },
         {"-i", "5"},
         {},
         barFileRefused,
         ""},
        {"input gone between listing and opening",
         [](const test::TempDir& dir) { fs::create_symlink("A-gone", dir.PathOf("A.txt")); },
         {"-i", "5"},
         {},
         "Processing: A.txt\nError: File not found\n",
         kNoBarFile},
        {"entry that is a directory",
         [](const test::TempDir& dir) { fs::create_directory(dir.PathOf("A.txt")); },
         {"-i", "5"},
         {},
         "Processing: A.txt\nError: File access denied\n",
         kNoBarFile},
        {"unreadable input, whose earlier bars stay",
         [](const test::TempDir& dir) {
             dir.Write("A.txt", kQuote);
             dir.Write("A-m5.txt", "old");
             HandOver(dir);
             ::chmod(dir.PathOf("A.txt").c_str(), 0);
         },
         {"-i", "5"},
         {.unprivileged = true},
         barFileRefused,
         "old"},
        {"read-only bar file",
         [](const test::TempDir& dir) {
             dir.Write("A.txt", kQuote);
             dir.Write("A-m5.txt", "old");
             HandOver(dir);
             ::chmod(dir.PathOf("A-m5.txt").c_str(), 0444);
         },
         {"-i", "5"},
         {.unprivileged = true},
         barFileRefused,
         "old"},
        // B's bar file is left from an earlier run: it stays, as no new file can be made to replace it.
        {"unwritable directory",
         [](const test::TempDir& dir) {
             dir.Write("A.txt", kQuote);
             dir.Write("B-m5.txt", "old");
             HandOver(dir);
             ::chmod(dir.path().c_str(), 0555);
         },
         {"-i", "5"},
         {.unprivileged = true},
         "Processing: A.txt\nError: File access denied\nSkip (-m): B-m5.txt\n",
         kNoBarFile,
         {{"B-m5.txt", "old"}},
         "Processing: B.txt\nError: File access denied\n"},
        {"10-million-character line, whose earlier bars stay",
         [](const test::TempDir& dir) {
             // NOLINTNEXTLINE(bugprone-string-constructor): ten million characters on purpose
             dir.Write("A.txt", "SBER,20240131,100100,250.5,251,250.1,250.75" + std::string(10'000'000, '0'));
             dir.Write("A-m5.txt", "old");
         },
         {"-i", "5"},
         {},
         "Skip (-m): A-m5.txt\nProcessing: A.txt\nError: Line too long\n",
         "old"},
        {"50,000 empty lines",
         [](const test::TempDir& dir) {
             std::string bytes;
             for (int i = 0; i < 50'000; ++i) bytes += "\r\n";
             dir.Write("A.txt", bytes + "SBER,5,20240131,100100,250.5,251,250.1,250.75\r\n");
         },
         {"-i", "5"},
         {},
         "Processing: A.txt\nOk\n",
         kBars},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.fault);
        const test::TempDir dir;
        dir.Write("B.txt", kQuote);
        c.prepare(dir);
        const Outcome outcome = RunConverter(dir, c.args, c.setup);
        if (outcome.status == kCannotDropPrivileges)
            GTEST_SKIP() << "cannot drop to user 65534 to test permissions";
        if (outcome.status == test::kCannotStartProgram) GTEST_SKIP() << "as user 65534: " << outcome.log;
        const std::string log = c.log + c.logOfB;
        EXPECT_EQ(outcome.log, log);
        EXPECT_EQ(outcome.status, log.find("Error: ") != std::string::npos ? 1 : 0);
        if (c.logOfB == kBConverts) {
            EXPECT_EQ(dir.Read("B-m5.txt"), kBars);
        }
        for (const auto& [name, bytes] : c.keptFiles) {
            EXPECT_EQ(dir.Read(name), bytes) << name;
        }
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            EXPECT_EQ(entry.path().filename().string().find(".tarnix-"), std::string::npos) << entry.path();
        }
        if (c.barsOfA == kNoBarFile) {
            EXPECT_FALSE(fs::exists(dir.PathOf("A-m5.txt")));
        } else if (!c.barsOfA.empty()) {
            EXPECT_EQ(dir.Read("A-m5.txt"), c.barsOfA);
        }
        ::chmod(dir.path().c_str(), 0777);
    }
}

// A log that cannot be written is not a success: the run still converts every file, then says so once and
// ends with status 2; a reader that leaves early ends the run quietly, by the signal or, where that is
// ignored, at once.
TEST(FaultInjection, TheLogsOwnFailuresAreNotTakenForSuccess) {
    const struct {
        const char* fault;
        ChildSetup setup;
        int status;
        std::string err;
        bool converted;
    } cases[] = {
        {"log on a full disk",
         {.output = test::Output::kFullDisk},
         2,
         "tarnix-convert: cannot write the log: No space left on device\n",
         true},
        {"log reader gone", {.output = test::Output::kClosedPipe}, 128 + SIGPIPE, "", false},
        {"log reader gone, broken pipes ignored",
         {.output = test::Output::kClosedPipe, .ignoreBrokenPipe = true},
         2,
         "",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        const test::TempDir dir;
        dir.Write("A.txt", kQuote);
        dir.Write("B.txt", kQuote);
        const test::ProcessOutcome outcome =
            test::RunConverterProcess({"-j", "1", "-i", "5", dir.path()}, c.setup);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.err, c.err);
        EXPECT_EQ(dir.Exists("B-m5.txt"), c.converted);
    }
}

// Every file needs as many descriptors as the last: the limit fails each one where it creates a bar file,
// after its input, and the second file's bar files, created anew, show that the first released all of its
// own.
TEST(FaultInjection, TooManyOpenFilesFailsEachFileAndLeaksNothing) {
    const test::TempDir dir;
    dir.Write("A.txt", kQuote);
    dir.Write("B.txt", kQuote);
    const std::vector<std::string> args = {"-j", "1", "-i", "5,10,15,60"};
    // Standard input, output and error, the directory, the input and one bar file; the next bar file is one
    // too many. Under
    // the sanitizers the runtime itself needs descriptors as the failed file unwinds, so only the second run
    // counts there.
    if (!kSanitized) {
        const Outcome limited = RunConverter(dir, args, {.fileLimit = 6});
        EXPECT_EQ(
            limited.log,
            "Processing: A.txt\nError: Too many open files\nProcessing: B.txt\nError: Too many open files\n");
        EXPECT_EQ(limited.status, 1);
        EXPECT_FALSE(fs::exists(dir.PathOf("B-m10.txt")));
    }

    // UBSan checks the first call through the reader's byte source with a pipe of its own: two more.
    const Outcome enough = RunConverter(dir, args, {.fileLimit = 9 + kSanitizerDescriptors});
    std::istringstream log(enough.log);
    std::string withoutSkips;
    for (std::string line; std::getline(log, line);) {
        if (!line.starts_with("Skip (-m): ")) withoutSkips += line + "\n";
    }
    EXPECT_EQ(withoutSkips, "Processing: A.txt\nOk\nProcessing: B.txt\nOk\n");
    EXPECT_EQ(dir.Read("B-m5.txt"), kBars);
}

// The reader takes the input up to where it ends when it looks: the original lines all count, and of the
// lines appended meanwhile none is lost or broken, so they make one bar of the next day or none.
TEST(FaultInjection, AnInputThatGrowsWhileItIsReadConvertsWhatWasThere) {
    constexpr int kLines = 400'000;
    const test::TempDir dir;
    std::string bytes;
    for (int i = 0; i < kLines; ++i) bytes += PaddedLine("20240131");
    dir.Write("A.txt", bytes);
    std::size_t appended = 0;
    const Outcome outcome = RunConverter(dir, {"-i", "5", "--volume"}, {}, [&](pid_t pid) {
        appended = AppendWhileRunning(dir.PathOf("A.txt"), pid);
    });
    EXPECT_EQ(outcome.log, "Processing: A.txt\nOk\n");
    const std::string bars = dir.Read("A-m5.txt");
    const std::string original =
        "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\r\n"
        "SBER,20240131,100500,1.,1.,1.,1.," +
        std::to_string(kLines) + "\r\n";
    ASSERT_TRUE(bars.starts_with(original)) << bars;
    const std::string grown = bars.substr(original.size());
    if (grown.empty()) return;
    const std::string prefix = "SBER,20240201,100500,1.,1.,1.,1.,";
    ASSERT_TRUE(grown.starts_with(prefix) && grown.ends_with("\r\n")) << grown;
    const long seen = std::stol(grown.substr(prefix.size()));
    RecordProperty("appended_lines_read", std::to_string(seen));
    EXPECT_GE(seen, 1);
    EXPECT_LE(static_cast<std::size_t>(seen), appended);
}

// The directory named by a link that another process flips between two folders during the run: every file
// is reached through the directory opened at the start, so the run works in one folder only.
TEST(FaultInjection, ADirectorySwappedDuringTheRunRedirectsNothing) {
    constexpr int kFiles = 1000;
    const test::TempDir root;
    fs::create_directory(root.PathOf("real"));
    fs::create_directory(root.PathOf("other"));
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "Q" + std::to_string(i);
        root.Write("real/" + name + ".txt", kQuote);
        root.Write("other/" + name + "-m5.txt", "other");
    }
    fs::create_directory_symlink("real", root.PathOf("link"));
    const auto flip = [&](pid_t pid) {
        for (int i = 0; IsRunning(pid) && i < 100'000; ++i) {
            fs::create_directory_symlink(i % 2 == 0 ? "other" : "real", root.PathOf("next"));
            fs::rename(root.PathOf("next"), root.PathOf("link"));
        }
    };
    const test::ProcessOutcome run =
        test::RunConverterProcess({"-i", "5", root.PathOf("link") + "/"}, {}, flip);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    // The run took whichever folder the link named as it started, and that folder only.
    int converted = 0;
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "Q" + std::to_string(i);
        EXPECT_EQ(root.Read("other/" + name + "-m5.txt"), "other") << name;
        converted += root.Read("real/" + name + "-m5.txt") == kBars;
    }
    EXPECT_TRUE(converted == 0 || converted == kFiles) << converted;
}

// Two runs over one directory at once: every bar file is whole, from one run or the other, never a mix.
TEST(FaultInjection, TwoRunsAtOnceLeaveEveryBarFileWhole) {
    std::string bytes;
    for (int minute = 0; minute < 200'000; ++minute) {
        const int day = 1 + minute / 1440 % 28, time = minute % 1440;
        bytes += "SBER,202401" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "," +
                 std::to_string(1000000 + time / 60 * 10000 + time % 60 * 100).substr(1) +
                 ",1,2,0.5,1.5,7\r\n";
    }
    const std::vector<std::string> args = {"-i", "5,10,15,60", "--volume"};
    const test::TempDir alone;
    alone.Write("A.txt", bytes);
    ASSERT_EQ(RunConverter(alone, args, {}).log, "Processing: A.txt\nOk\n");
    const test::TempDir shared;
    shared.Write("A.txt", bytes);
    Outcome second;
    const Outcome first =
        RunConverter(shared, args, {}, [&](pid_t) { second = RunConverter(shared, args, {}); });
    EXPECT_EQ(first.log, "Processing: A.txt\nOk\n");
    EXPECT_EQ(second.log, "Processing: A.txt\nOk\n");
    for (const char* name : {"A-m5.txt", "A-m10.txt", "A-m15.txt", "A-m60.txt"}) {
        EXPECT_TRUE(shared.Read(name) == alone.Read(name)) << name;
    }
}

}  // namespace
}  // namespace tarnix
