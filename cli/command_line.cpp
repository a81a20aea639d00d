#include "command_line.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <system_error>

#include "tarnix/system.h"
#include "tarnix/version.h"

namespace tarnix::cli {
namespace {

constexpr std::size_t kCustomSlot = kSlotCount - 1;

enum class OptionKind {
    kIntervals,
    kJobs,
    kDateOrder,
    kDecimalMark,
    kDecimals,
    kMetaStock,
    kHelp,
    kVersion,
    kFlag
};

struct OptionSpec {
    std::string_view shortName;
    std::string_view longName;
    OptionKind kind;
    bool ConversionSettings::*flag;
};

constexpr std::array kOptions = {
    OptionSpec{"-i", "--intervals", OptionKind::kIntervals, nullptr},
    OptionSpec{"-j", "--jobs", OptionKind::kJobs, nullptr},
    OptionSpec{"", "--date-order", OptionKind::kDateOrder, nullptr},
    OptionSpec{"", "--decimal-mark", OptionKind::kDecimalMark, nullptr},
    OptionSpec{"", "--decimals", OptionKind::kDecimals, nullptr},
    OptionSpec{"", "--metastock", OptionKind::kMetaStock, nullptr},
    OptionSpec{"-h", "--help", OptionKind::kHelp, nullptr},
    OptionSpec{"", "--version", OptionKind::kVersion, nullptr},
    OptionSpec{"", "--per-field", OptionKind::kFlag, &ConversionSettings::addPerField},
    OptionSpec{"", "--ms7-period", OptionKind::kFlag, &ConversionSettings::addMs7Period},
    OptionSpec{"", "--symbol-period", OptionKind::kFlag, &ConversionSettings::addPeriodToSymbol},
    OptionSpec{"", "--volume", OptionKind::kFlag, &ConversionSettings::withVolume},
    OptionSpec{"", "--russian", OptionKind::kFlag, &ConversionSettings::russianLog},
};

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// An option as written: "--name=value" and "-iVALUE" carry their value inline.
struct OptionWord {
    std::string_view name;
    std::optional<std::string_view> value;
};

OptionWord SplitOption(std::string_view argument) {
    if (argument.starts_with("--")) {
        const std::size_t equals = argument.find('=');
        if (equals == std::string_view::npos) return {argument, std::nullopt};
        return {argument.substr(0, equals), argument.substr(equals + 1)};
    }
    if (argument.size() > 2) return {argument.substr(0, 2), argument.substr(2)};
    return {argument, std::nullopt};
}

const OptionSpec& FindOption(std::string_view name) {
    const auto found = std::find_if(kOptions.begin(), kOptions.end(), [name](const OptionSpec& option) {
        return name == option.shortName || name == option.longName;
    });
    if (found == kOptions.end()) throw UsageError("unknown option " + Quoted(name));
    return *found;
}

// A lone "-" is an ordinary operand, as in most tools.
bool LooksLikeOption(std::string_view argument) {
    return argument.size() > 1 && argument.front() == '-';
}

std::int32_t ParseInterval(std::string_view item) {
    const bool digitsOnly =
        !item.empty() && std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; });
    std::int32_t minutes = 0;
    if (digitsOnly) {
        const auto result = std::from_chars(item.data(), item.data() + item.size(), minutes);
        if (result.ec == std::errc::result_out_of_range) {
            throw UsageError("interval " + Quoted(item) + " is too large (at most 2147483647 minutes)");
        }
    }
    if (minutes <= 0) throw UsageError("invalid interval " + Quoted(item) + " (positive minutes expected)");
    return minutes;
}

// More workers than this only add threads waiting on the disk.
constexpr int kMaxWorkers = 256;

int ParseWorkers(std::string_view text) {
    int workers = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), workers);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || workers < 1 ||
        workers > kMaxWorkers) {
        throw UsageError("invalid number of jobs " + Quoted(text) + " (1 to " + std::to_string(kMaxWorkers) +
                         " expected)");
    }
    return workers;
}

void EnableInterval(std::int32_t minutes, std::optional<std::int32_t>& custom, ConversionSettings& settings) {
    const auto fixed = std::find(kFixedIntervals.begin(), kFixedIntervals.end(), minutes);
    if (fixed != kFixedIntervals.end()) {
        settings.intervalEnabled[static_cast<std::size_t>(fixed - kFixedIntervals.begin())] = true;
        return;
    }
    if (custom && *custom != minutes) {
        throw UsageError("only one interval besides 5, 10, 15 and 60 is possible, got " +
                         Quoted(std::to_string(*custom)) + " and " + Quoted(std::to_string(minutes)));
    }
    custom = minutes;
}

void ApplyIntervalList(std::string_view list, ConversionSettings& settings) {
    std::optional<std::int32_t> custom;
    for (;;) {
        const std::size_t comma = list.find(',');
        EnableInterval(ParseInterval(list.substr(0, comma)), custom, settings);
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    if (!custom) return;
    settings.intervalEnabled[kCustomSlot] = true;
    settings.customIntervalText = std::to_string(*custom);
}

int ParseDecimals(std::string_view text) {
    const auto decimals = TryParseInteger(text);
    if (!decimals || *decimals < 1 || *decimals > kMaxPriceDecimals ||
        text.find_first_not_of("0123456789") != text.npos)
        throw UsageError("invalid number of decimals " + Quoted(text) + " (1 to " +
                         std::to_string(kMaxPriceDecimals) + " expected)");
    return *decimals;
}

DateOrder ParseDateOrder(std::string_view text) {
    if (const auto order = DateOrderNamed(text)) return *order;
    throw UsageError("invalid date order " + Quoted(text) + " (DMY, MDY or YMD expected)");
}

char ParseDecimalMark(std::string_view text) {
    if (text == "." || text == ",") return text.front();
    throw UsageError("invalid decimal mark " + Quoted(text) + " ('.' or ',' expected)");
}

// The charting program keeps intraday securities of 1 to 60 minutes only; a run that could write no
// security is refused before it starts.
constexpr std::int32_t kMaxMetaStockInterval = 60;

void CheckMetaStockIntervals(const ConversionSettings& settings) {
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        if (!settings.intervalEnabled[slot]) continue;
        const std::int32_t minutes = slot < kCustomSlot
                                         ? kFixedIntervals[slot]
                                         : TryParseInteger(settings.customIntervalText).value_or(0);
        if (minutes > kMaxMetaStockInterval) {
            throw UsageError("--metastock takes intervals of 1 to 60 minutes, got " +
                             Quoted(std::to_string(minutes)));
        }
    }
}

std::string ExecutableDirectory() {
    std::string directory = platform::ProgramDirectory();
    if (directory.empty()) {
        throw UsageError("cannot find the program's own directory; give DIRECTORY instead of ''");
    }
    return directory;
}

class Parser {
  public:
    explicit Parser(std::span<const char* const> arguments) : arguments_(arguments) {}

    CommandLine Parse() {
        while (next_ < arguments_.size() && line_.action == Action::kConvert) {
            const std::string_view argument = arguments_[next_++];
            if (optionsEnded_ || !LooksLikeOption(argument)) {
                TakeDirectory(argument);
            } else if (argument == "--") {
                optionsEnded_ = true;
            } else {
                TakeOption(SplitOption(argument));
            }
        }
        if (line_.action != Action::kConvert) return line_;
        if (!intervalsGiven_) throw UsageError("missing option --intervals, e.g. -i 5,15,60");
        if (!directoryGiven_) throw UsageError("missing DIRECTORY");
        if (!line_.settings.metaStockFolder.empty()) CheckMetaStockIntervals(line_.settings);
        return line_;
    }

  private:
    void TakeDirectory(std::string_view argument) {
        if (directoryGiven_) {
            throw UsageError("only one DIRECTORY is possible, got " + Quoted(argument) + " too");
        }
        directoryGiven_ = true;
        line_.settings.directory = NormaliseDirectory(argument);
    }

    void TakeOption(const OptionWord& word) {
        const OptionSpec& option = FindOption(word.name);
        if (option.kind == OptionKind::kIntervals) {
            if (intervalsGiven_) throw UsageError("option --intervals may be given only once");
            intervalsGiven_ = true;
            ApplyIntervalList(TakeValue(word, "a list of minutes"), line_.settings);
            return;
        }
        if (option.kind == OptionKind::kJobs) {
            line_.workers = ParseWorkers(TakeValue(word, "a number of jobs"));
            return;
        }
        if (option.kind == OptionKind::kDecimals) {
            line_.settings.priceDecimals = ParseDecimals(TakeValue(word, "a number of decimals"));
            return;
        }
        if (option.kind == OptionKind::kMetaStock) {
            const std::string_view folder = TakeValue(word, "a folder");
            if (folder.empty()) throw UsageError("option '--metastock' needs a folder, got ''");
            line_.settings.metaStockFolder = folder;
            return;
        }
        if (option.kind == OptionKind::kDecimalMark) {
            line_.settings.decimalMark = ParseDecimalMark(TakeValue(word, "a decimal mark"));
            return;
        }
        if (option.kind == OptionKind::kDateOrder) {
            line_.settings.dateOrder = ParseDateOrder(TakeValue(word, "an order of day, month and year"));
            return;
        }
        if (word.value) throw UsageError("option " + Quoted(word.name) + " takes no value");
        if (option.kind == OptionKind::kHelp) line_.action = Action::kShowHelp;
        if (option.kind == OptionKind::kVersion) line_.action = Action::kShowVersion;
        if (option.kind == OptionKind::kFlag) line_.settings.*option.flag = true;
    }

    // The value written inline or as the next argument.
    std::string_view TakeValue(const OptionWord& word, std::string_view what) {
        if (word.value) return *word.value;
        if (next_ == arguments_.size())
            throw UsageError("option " + Quoted(word.name) + " needs " + std::string(what));
        return arguments_[next_++];
    }

    std::span<const char* const> arguments_;
    std::size_t next_ = 0;
    CommandLine line_;
    bool optionsEnded_ = false;
    bool intervalsGiven_ = false;
    bool directoryGiven_ = false;
};

}  // namespace

CommandLine ParseCommandLine(std::span<const char* const> arguments) {
    return Parser(arguments).Parse();
}

std::string NormaliseDirectory(std::string_view argument) {
    return ResolveDirectory(argument, argument.empty() ? ExecutableDirectory() : std::string());
}

std::string HelpText() {
    return R"(Usage: tarnix-convert [OPTIONS] DIRECTORY
Converts every *.txt quote file of DIRECTORY into bar files NAME-mMINUTES.txt beside it.
An empty DIRECTORY ('') means the directory of this program.

Options:
  -i, --intervals LIST  bar intervals in minutes, comma-separated, e.g. 5,15,240 (required):
                        any of 5, 10, 15 and 60, plus at most one other interval
      --per-field       add the <PER> field with the period I
      --ms7-period      add the <PER> field with the interval as the period
      --symbol-period   append the interval to the ticker
      --volume          read the volume column and write it to the bars
      --russian         write the log in Russian
      --decimals N      write prices with up to N decimals, 1 to 8 (default 4), e.g. 5 for
                        currency pairs
      --metastock FOLDER
                        write the bars into the MetaStock data folder FOLDER (created if
                        missing) instead of bar files: one intraday security per file and
                        interval, symbol = ticker; intervals of 1 to 60 minutes. Other
                        securities of FOLDER are kept
      --date-order ORDER
                        read ambiguous dates such as 05/01/04 in files of other layouts day
                        first (DMY), month first (MDY) or year first (YMD); by default the
                        quotes decide. A date that does not read so fails its file
      --decimal-mark MARK
                        read prices and volumes in files of other layouts with the decimal
                        mark '.' or ','; by default the quotes decide. A number that does not
                        read so fails its file
  -j, --jobs N          convert up to N files at a time (default: one per processor core); the log
                        and the bar files are those of a one-at-a-time run
  -h, --help            show this help and exit
      --version         show the version and exit

The log goes to standard output. Exit status: 0 when every file converted, 1 when some file failed,
2 when the command line is wrong, DIRECTORY cannot be read or the log cannot be written.
)";
}

std::string VersionText() {
    return std::string(kProgramName) + " " TARNIX_VERSION;
}

}  // namespace tarnix::cli
