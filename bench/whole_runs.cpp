// Times whole runs of the converter against the I/O floor of the same work, and prints a Markdown table:
// every command runs several times, interleaved, and the median counts. The floor is `cat` of the quote files
// plus writing as many bytes as the bar files hold into a new file: what a converter that cost nothing
// would still spend.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Measure {
    double seconds = 0;
    long peakRssKb = 0;
};

enum class Setup {
    kNone,
    kFreshCopy,    // the converter writes bar files: it gets a fresh copy of the data each run
    kNoFloorFile,  // the floor writes a new file each run
};

struct Command {
    std::string label;
    std::vector<std::string> argv;
    Setup setup = Setup::kNone;
    std::vector<Measure> runs;
};

struct DataSet {
    std::string name;
    fs::path dir;
    std::vector<std::string> files;
    double megabytes = 0;
    double lines = 0;
};

DataSet LoadDataSet(const std::string& name, const fs::path& dir) {
    DataSet data{name, dir, {}, 0, 0};
    for (const auto& entry : fs::directory_iterator(dir)) data.files.push_back(entry.path().string());
    std::sort(data.files.begin(), data.files.end());
    std::vector<char> buffer(1 << 20);
    for (const std::string& file : data.files) {
        std::ifstream in(file, std::ios::binary);  // also warms the page cache
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
            const auto got = static_cast<std::size_t>(in.gcount());
            data.megabytes += static_cast<double>(got) / 1e6;
            data.lines += static_cast<double>(
                std::count(buffer.begin(), buffer.begin() + static_cast<long>(got), '\n'));
        }
    }
    return data;
}

Measure RunOnce(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, STDOUT_FILENO);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "command failed: %s\n", argv[0].c_str());
        std::exit(1);
    }
    return {elapsed.count(), usage.ru_maxrss};
}

// Bytes of the bar files in `dir`.
std::uintmax_t BarFileBytes(const fs::path& dir) {
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().filename().string().find("-m") != std::string::npos) bytes += entry.file_size();
    }
    return bytes;
}

// Runs the converter on a fresh copy of the data; returns the bytes of the bar files it wrote.
std::uintmax_t RunOnFreshCopy(std::vector<Measure>& runs, const std::vector<std::string>& argv,
                              const DataSet& data, const fs::path& scratch) {
    fs::remove_all(scratch);
    fs::copy(data.dir, scratch);
    ::sync();  // the copy's write-back would otherwise compete with the timed run
    runs.push_back(RunOnce(argv));
    const std::uintmax_t bytes = BarFileBytes(scratch);
    fs::remove_all(scratch);
    return bytes;
}

void RunCommand(Command& command, const DataSet& data, const fs::path& scratch, const fs::path& floorFile) {
    switch (command.setup) {
        case Setup::kFreshCopy:
            RunOnFreshCopy(command.runs, command.argv, data, scratch);
            return;
        case Setup::kNoFloorFile:
            fs::remove(floorFile);
            ::sync();
            command.runs.push_back(RunOnce(command.argv));
            fs::remove(floorFile);
            return;
        case Setup::kNone:
            command.runs.push_back(RunOnce(command.argv));
            return;
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

std::vector<double> Seconds(const Command& command) {
    std::vector<double> seconds;
    for (const Measure& run : command.runs) seconds.push_back(run.seconds);
    return seconds;
}

// What the targets are held to: medians of the floor and of the converter with each worker count, and the
// highest peak memory of a converter run.
struct Outcome {
    double floorSeconds = 0;
    std::vector<double> convertSeconds;
    long peakRssKb = 0;
};

// The floor's row comes second, after `cat`, and the converter's rows follow.
Outcome PrintRows(const DataSet& data, const std::vector<Command>& commands) {
    const double floorSeconds = Median(Seconds(commands[1]));
    Outcome outcome{floorSeconds, {}, 0};
    for (std::size_t i = 2; i < commands.size(); ++i) {
        outcome.convertSeconds.push_back(Median(Seconds(commands[i])));
        for (const Measure& run : commands[i].runs)
            outcome.peakRssKb = std::max(outcome.peakRssKb, run.peakRssKb);
    }
    for (const Command& command : commands) {
        const std::vector<double> seconds = Seconds(command);
        const double median = Median(seconds);
        long peakKb = 0;
        for (const Measure& run : command.runs) peakKb = std::max(peakKb, run.peakRssKb);
        std::printf("| %s | `%s` | %.3f (%.3f-%.3f) | %.0f | %.1f | %.2f | %.1f |\n", data.name.c_str(),
                    command.label.c_str(), median, *std::min_element(seconds.begin(), seconds.end()),
                    *std::max_element(seconds.begin(), seconds.end()), data.megabytes / median,
                    data.lines / median / 1e6, floorSeconds / median, static_cast<double>(peakKb) / 1024);
    }
    return outcome;
}

std::vector<std::string> With(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

std::vector<std::string> ConvertArgv(const std::string& convert, const fs::path& scratch, int workers) {
    return {convert, "-i", "5,10,15,60", "--volume", "-j", std::to_string(workers), scratch.string()};
}

// `cat` of the files, then as many zero bytes as the bar files hold written into a new file.
std::vector<std::string> FloorArgv(const DataSet& data, std::uintmax_t barBytes, const fs::path& floorFile) {
    const std::string script = "cat \"$@\" >/dev/null && dd if=/dev/zero of='" + floorFile.string() +
                               "' bs=1M count=" + std::to_string(barBytes) + " iflag=count_bytes status=none";
    return With({"sh", "-c", script, "sh"}, data.files);
}

// Times `cat`, the floor and the converter with each worker count on `data`, interleaved; prints the rows.
Outcome Bench(const DataSet& data, const std::string& convert, const fs::path& scratch,
              const std::vector<int>& workerCounts, int runs) {
    // An untimed run first: it warms up, and its bar files give the floor's size.
    std::vector<Measure> warmUp;
    const std::uintmax_t barBytes = RunOnFreshCopy(warmUp, ConvertArgv(convert, scratch, 1), data, scratch);
    const fs::path floorFile = scratch.string() + "-floor.bin";
    std::vector<Command> commands = {
        {"cat", With({"cat"}, data.files), Setup::kNone, {}},
        {"floor", FloorArgv(data, barBytes, floorFile), Setup::kNoFloorFile, {}}};
    for (const int workers : workerCounts) {
        commands.push_back({"tarnix-convert -i 5,10,15,60 --volume -j " + std::to_string(workers),
                            ConvertArgv(convert, scratch, workers),
                            Setup::kFreshCopy,
                            {}});
    }
    for (int run = 0; run < runs; ++run) {
        for (Command& command : commands) RunCommand(command, data, scratch, floorFile);
    }
    return PrintRows(data, commands);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 8) {
        std::fprintf(
            stderr,
            "usage: %s TARNIX_CONVERT PARSE_BOUND_DIR WRITE_BOUND_DIR LAYOUT_DIR MANY_DIR SCRATCH_DIR "
            "RUNS\n",
            argv[0]);
        return 2;
    }
    const std::string convert = argv[1];
    const fs::path scratch = argv[6];
    const int runs = std::max(1, std::atoi(argv[7]));
    const std::vector<DataSet> sets = {
        LoadDataSet("parse-bound", argv[2]), LoadDataSet("write-bound", argv[3]),
        LoadDataSet("layout reader", argv[4]), LoadDataSet("16 files", argv[5])};
    std::printf("Input:");
    for (const DataSet& data : sets) {
        std::printf(" %s %.0f MB, %.1f M lines;", data.name.c_str(), data.megabytes, data.lines / 1e6);
    }
    std::printf(" medians of %d runs, seconds (min-max).\n\n", runs);
    std::printf("| data | command | wall s | MB/s | M lines/s | ratio to floor | peak RSS MB |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    const Outcome design = Bench(sets[0], convert, scratch, {1}, runs);
    const Outcome written = Bench(sets[1], convert, scratch, {1}, runs);
    const Outcome layout = Bench(sets[2], convert, scratch, {1}, runs);
    const Outcome many = Bench(sets[3], convert, scratch, {1, 2}, runs);
    const auto ofFloor = [](const Outcome& outcome) {
        return outcome.floorSeconds / outcome.convertSeconds[0];
    };
    // The same quotes in both sets: lines a second compare the readers, whatever their line lengths.
    const double layoutShare =
        (sets[2].lines / layout.convertSeconds[0]) / (sets[0].lines / design.convertSeconds[0]);
    const long peakKb = std::max({design.peakRssKb, written.peakRssKb, layout.peakRssKb, many.peakRssKb});
    std::printf("\nTargets (one core unless said):\n\n");
    std::printf("- parse-bound: %.2f of the floor (at least 0.25)\n", ofFloor(design));
    std::printf("- write-bound: %.2f of the floor (at least 0.30)\n", ofFloor(written));
    std::printf("- layout reader: %.2f times the lines a second of the design reading (at least 0.50)\n",
                layoutShare);
    std::printf("- peak RSS: %.1f MB (under 10)\n", static_cast<double>(peakKb) / 1024);
    std::printf("- 16 files: -j 2 converts %.2f times as fast as -j 1 (at least 1.8)\n",
                many.convertSeconds[0] / many.convertSeconds[1]);
    return 0;
}
