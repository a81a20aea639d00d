#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <iostream>
#include <thread>

#include "command_line.h"
#include "console_report.h"

namespace tarnix::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFileFailed = 1;
constexpr int kExitUsage = 2;

// The run itself says nothing about a directory it cannot list; a script deserves to hear of a mistyped path.
bool CheckDirectoryReadable(const std::string& directory) {
    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) {
        std::cerr << kProgramName << ": cannot read directory '" << directory << "': " << std::strerror(errno)
                  << '\n';
        return false;
    }
    ::closedir(dir);
    return true;
}

int Convert(const CommandLine& line) {
    if (!CheckDirectoryReadable(line.directory)) return kExitUsage;
    std::setlocale(LC_ALL, "");
    DetectDecimalChar();
    const CommandLineOptions options(line);
    ConsoleReport report(std::cout, ::isatty(STDERR_FILENO) ? &std::cerr : nullptr);
    const int workers =
        line.workers > 0 ? line.workers : static_cast<int>(std::thread::hardware_concurrency());
    RunConversionInParallel(options, report, workers);
    report.Finish();
    return report.errorLogged() ? kExitFileFailed : kExitOk;
}

int TryMain(int argc, const char* const* argv) {
    try {
        // An exec with an empty argv leaves argc at 0.
        const auto argumentCount = static_cast<std::size_t>(argc > 1 ? argc - 1 : 0);
        const CommandLine line = ParseCommandLine({argv + 1, argumentCount});
        switch (line.action) {
            case Action::kShowHelp:
                std::cout << HelpText();
                return kExitOk;
            case Action::kShowVersion:
                std::cout << VersionText() << '\n';
                return kExitOk;
            case Action::kConvert:
                return Convert(line);
        }
    } catch (const UsageError& error) {
        std::cerr << kProgramName << ": " << error.what() << '\n'
                  << "Try '" << kProgramName << " --help' for more information.\n";
        return kExitUsage;
    } catch (const std::exception& error) {
        std::cerr << kProgramName << ": " << error.what() << '\n';
    }
    return kExitFileFailed;
}

}  // namespace
}  // namespace tarnix::cli

int main(int argc, char** argv) {
    return tarnix::cli::TryMain(argc, argv);
}
