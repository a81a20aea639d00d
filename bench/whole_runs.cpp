// Times whole runs of the converter against the physical limit of reading the same files, and prints a
// Markdown table: every command runs several times, interleaved, and the median counts.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
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

struct Command {
    std::string label;
    std::vector<std::string> argv;
    bool needsFreshCopy = false;  // the converter writes bar files: it gets a fresh copy of the data each run
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

void RunWithFreshCopy(Command& command, const DataSet& data, const fs::path& scratch) {
    fs::remove_all(scratch);
    fs::copy(data.dir, scratch);
    ::sync();  // the copy's write-back would otherwise compete with the timed run
    command.runs.push_back(RunOnce(command.argv));
    fs::remove_all(scratch);
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

void PrintRows(const DataSet& data, const std::vector<Command>& commands) {
    const double catSeconds = Median(Seconds(commands.front()));
    for (const Command& command : commands) {
        const std::vector<double> seconds = Seconds(command);
        const double median = Median(seconds);
        long peakKb = 0;
        for (const Measure& run : command.runs) peakKb = std::max(peakKb, run.peakRssKb);
        std::printf("| %s | `%s` | %.3f (%.3f-%.3f) | %.0f | %.1f | %.2f | %.1f |\n", data.name.c_str(),
                    command.label.c_str(), median, *std::min_element(seconds.begin(), seconds.end()),
                    *std::max_element(seconds.begin(), seconds.end()), data.megabytes / median,
                    data.lines / median / 1e6, catSeconds / median, static_cast<double>(peakKb) / 1024);
    }
}

std::vector<std::string> With(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

void Bench(const DataSet& data, const std::string& convert, const fs::path& scratch,
           const std::vector<int>& workerCounts, int runs) {
    std::vector<Command> commands = {{"cat", With({"cat"}, data.files), false, {}},
                                     {"wc -l", With({"wc", "-l"}, data.files), false, {}}};
    for (const int workers : workerCounts) {
        commands.push_back(
            {"tarnix-convert -i 5,10,15,60 --volume -j " + std::to_string(workers),
             {convert, "-i", "5,10,15,60", "--volume", "-j", std::to_string(workers), scratch.string()},
             true,
             {}});
    }
    for (int run = 0; run < runs; ++run) {
        for (Command& command : commands) {
            if (command.needsFreshCopy) {
                RunWithFreshCopy(command, data, scratch);
            } else {
                command.runs.push_back(RunOnce(command.argv));
            }
        }
    }
    PrintRows(data, commands);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s TARNIX_CONVERT LARGE_DIR MANY_DIR SCRATCH_DIR RUNS\n", argv[0]);
        return 2;
    }
    const std::string convert = argv[1];
    const fs::path scratch = argv[4];
    const int runs = std::max(1, std::atoi(argv[5]));
    const DataSet large = LoadDataSet("1 large file", argv[2]);
    DataSet many = LoadDataSet("", argv[3]);
    many.name = std::to_string(many.files.size()) + " files";
    std::printf(
        "Input: %s %.0f MB, %.1f M lines; %s %.0f MB, %.1f M lines. Medians of %d runs, seconds "
        "(min-max).\n\n",
        large.name.c_str(), large.megabytes, large.lines / 1e6, many.name.c_str(), many.megabytes,
        many.lines / 1e6, runs);
    std::printf("| data | command | wall s | MB/s | M lines/s | ratio to cat | peak RSS MB |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    Bench(large, convert, scratch, {1}, runs);
    Bench(many, convert, scratch, {1, 2}, runs);
    return 0;
}
