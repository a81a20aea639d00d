#include <clocale>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "command_line.h"
#include "console_report.h"
#include "tarnix/system.h"

namespace tarnix::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFileFailed = 1;
constexpr int kExitUsage = 2;

int Convert(const CommandLine& line) {
    std::setlocale(LC_ALL, "");
    ConversionSettings settings = line.settings;
    settings.decimalChar = DetectDecimalChar();
    ConsoleReport report(std::cout, platform::SetUpConsole() ? &std::cerr : nullptr);
    const int workers =
        line.workers > 0 ? line.workers : static_cast<int>(std::thread::hardware_concurrency());
    const RunOutcome outcome = RunConversionInParallel(FixedOptions(settings), report, workers);
    report.Finish();
    if (report.LogFailure() != 0) {
        std::cerr << kProgramName << ": cannot write the log: " << std::strerror(report.LogFailure()) << '\n';
        return kExitUsage;
    }
    // The run itself says nothing about a directory it cannot list; a script deserves to hear of a mistyped
    // path.
    if (!outcome.directoryFailure.empty()) {
        std::cerr << kProgramName << ": cannot read directory '" << settings.directory
                  << "': " << outcome.directoryFailure << '\n';
        return kExitUsage;
    }
    return outcome.AnyFailed() ? kExitFileFailed : kExitOk;
}

int TryMain(int argc, const char* const* argv) {
    try {
        const std::vector<std::string> arguments = platform::CommandLineArguments(argc, argv);
        std::vector<const char*> pointers;
        pointers.reserve(arguments.size());
        for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
        const CommandLine line = ParseCommandLine(pointers);
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
