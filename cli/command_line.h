#pragma once

// The command line of tarnix-convert, turned into the values of a run without touching the process.

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tarnix/conversion.h"

namespace tarnix::cli {

inline constexpr std::string_view kProgramName = "tarnix-convert";

// A command line that cannot be run; what() names the problem in one line.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class Action { kConvert, kShowHelp, kShowVersion };

struct CommandLine {
    Action action = Action::kConvert;
    // The directory as the window tidies its field, the intervals and the format options. The custom
    // interval is the one a desktop user finds pre-filled; its slot stays off unless an interval asks for it.
    ConversionSettings settings;
    // Files converted at a time; 0 means one per processor core.
    int workers = 0;

    bool operator==(const CommandLine&) const = default;
};

// Parses the arguments that follow the program name. Help and version win over whatever follows them.
// Throws UsageError.
CommandLine ParseCommandLine(std::span<const char* const> arguments);

// The directory as the desktop window normalises its field: empty means the program's own directory, and
// a path separator is appended when missing.
std::string NormaliseDirectory(std::string_view argument);

std::string HelpText();
std::string VersionText();

}  // namespace tarnix::cli
