#pragma once

// The front door of the conversion engine: a caller supplies the options and receives the report of a run.
// Both are read or called at the moment the run needs them, never cached, so a caller whose values change
// during a run (the window) sees each change take effect at the next reading.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

// Number of interval slots: the fixed intervals, then the custom interval.
inline constexpr int kSlotCount = 5;
// The intervals of slots 1 to 4, in minutes.
inline constexpr std::array<std::int32_t, kSlotCount - 1> kFixedIntervals = {5, 10, 15, 60};
// The custom interval a new user finds in its field, and what a text that is not an integer becomes there.
inline constexpr std::string_view kDefaultCustomInterval = "240";
// The decimals of the prices of a bar file, and the most that may be asked for (currency pairs have five,
// split-adjusted and penny shares six).
inline constexpr int kDefaultPriceDecimals = 4;
inline constexpr int kMaxPriceDecimals = 8;

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Which part of an ambiguous date such as 05/01/04 comes first; kAutomatic lets the quotes decide.
enum class DateOrder { kAutomatic, kDayMonthYear, kMonthDayYear, kYearMonthDay };

// The order named "DMY", "MDY" or "YMD"; nothing for another text.
std::optional<DateOrder> DateOrderNamed(std::string_view name);

// The options that shape a bar record, read together for every record written.
struct RecordOptions {
    bool addPerField = false;
    bool addMs7Period = false;
    bool addPeriodToSymbol = false;
    bool withVolume = false;
};

// The option values of a run.
class ConversionOptions {
  public:
    virtual ~ConversionOptions() = default;

    // The directory to convert; never empty and ends with kPathSeparator when a run starts.
    virtual std::string directory() const = 0;
    // Whether bars of slot `slot` (1 to kSlotCount) are made.
    virtual bool intervalEnabled(int slot) const = 0;
    // The custom interval of slot 5 in minutes, as typed; a text that is not an integer counts as 0.
    virtual std::string customIntervalText() const = 0;
    // Header field "<PER>" and period field "I".
    virtual bool addPerField() const = 0;
    // Header field "<PER>" and the interval as period field; wins over addPerField.
    virtual bool addMs7Period() const = 0;
    // The interval appended to the ticker.
    virtual bool addPeriodToSymbol() const = 0;
    // Volume column read from the quotes and written to the bars.
    virtual bool withVolume() const = 0;
    // Russian texts for the skip, processing and no-interval log lines.
    virtual bool russianLog() const = 0;
    // The local decimal separator (DetectDecimalChar); read once for every converted file.
    virtual char decimalChar() const = 0;
    // How ambiguous dates of a file in another layout are read; read once for every such file. A date that
    // does not read in this order fails its file.
    virtual DateOrder dateOrder() const { return DateOrder::kAutomatic; }
    // The decimal mark of prices and volumes in files of other layouts, '.' or ','; 0 lets the quotes
    // decide. Read once for every such file; a number that does not read with it fails its file.
    virtual char decimalMark() const { return 0; }
    // The decimals of the prices written, 1 to kMaxPriceDecimals; read once for every converted file.
    virtual int priceDecimals() const { return kDefaultPriceDecimals; }
    // The MetaStock data folder that takes the bars as securities instead of bar files; empty for bar files.
    // Read once for every converted file.
    virtual std::string metaStockFolder() const { return {}; }
    // The four options above that shape a record, read once for every record written: one call where a
    // caller holds them together.
    virtual RecordOptions recordOptions() const {
        return {addPerField(), addMs7Period(), addPeriodToSymbol(), withVolume()};
    }
};

// How a run tells its caller what it does. Texts are 8-bit; the Russian ones are UTF-8.
class ConversionReport {
  public:
    virtual ~ConversionReport() = default;

    // One line of the run's log.
    virtual void AddLogLine(std::string_view line) = 0;
    // The number of the line being read, once for every line; LineCounterText makes the counter's text.
    virtual void ShowLineCounter(std::int64_t lineNumber) = 0;
    // Called after every bar record written, so that a window can handle its pending events.
    virtual void YieldToWindow() = 0;
};

// The line counter's text: "Строка: " and the number, the same in both languages of the log.
std::string LineCounterText(std::int64_t lineNumber);

// What became of one directory entry; the log holds the same in words.
enum class EntryOutcome {
    kSkipped,     // a bar file by its name
    kNoInterval,  // taken up, but no interval was ticked
    kConverted,   // "Ok"
    kFailed,      // "Error: " and the message
};

// What a run did, for callers that act on it (an exit status); the log says the same to a person.
struct RunOutcome {
    // The outcome of every entry, in entry order.
    std::vector<EntryOutcome> entries;
    // Empty when the directory was listed; otherwise the system's words for why it could not be (the run
    // then converts nothing and logs nothing).
    std::string directoryFailure;

    bool AnyFailed() const;
};

// Converts every "*.txt" entry of options.directory(), in name order. Every entry ends with exactly one
// outcome in the log; a failing file is logged and the run goes on. Nothing is thrown.
RunOutcome RunConversion(const ConversionOptions& options, ConversionReport& report);

// Converts like RunConversion, up to `workers` files at a time. `options` is read from several threads at
// once, so its values must not change during the run. `report` is called from the calling thread only, with
// exactly the log of a sequential run, in entry order; the line counter shows the oldest file not yet done,
// and YieldToWindow is not called. Entries whose bar files share names are converted one after the other in
// entry order, so the later entry's bar files win as in a sequential run.
RunOutcome RunConversionInParallel(const ConversionOptions& options, ConversionReport& report, int workers);

// The integer syntax of quote fields and of the custom interval: leading blanks, then an optional sign and
// decimal digits within the 32-bit signed range, or a hex prefix ("$", "x", "X", "0x", "0X") and up to
// FFFFFFFF, taken as two's complement. Nothing may follow. Returns nothing when the text does not convert.
std::optional<std::int32_t> TryParseInteger(std::string_view text);

// The user's decimal separator: on Linux that of the process locale (call setlocale(LC_ALL, "") first), on
// Windows that of the user's number format. Called once at start-up, before any run.
char DetectDecimalChar();

// The directory text as a run takes it: an empty text means `programDirectory`, and a path separator is
// appended when the text does not end with one.
std::string ResolveDirectory(std::string_view text, std::string_view programDirectory);

// The values of a run as plain data, for callers whose options do not change while it runs (a script, a
// test). The defaults are those of a new window: nothing ticked, the custom interval "240".
struct ConversionSettings {
    std::string directory;
    // Slots 1 to kSlotCount, from index 0.
    std::array<bool, kSlotCount> intervalEnabled{};
    std::string customIntervalText{kDefaultCustomInterval};
    bool addPerField = false;
    bool addMs7Period = false;
    bool addPeriodToSymbol = false;
    bool withVolume = false;
    bool russianLog = false;
    char decimalChar = '.';
    DateOrder dateOrder = DateOrder::kAutomatic;
    char decimalMark = 0;
    int priceDecimals = kDefaultPriceDecimals;
    std::string metaStockFolder;

    bool operator==(const ConversionSettings&) const = default;
};

// ConversionOptions that answer from a copy of settings.
class FixedOptions final : public ConversionOptions {
  public:
    explicit FixedOptions(ConversionSettings settings);

    std::string directory() const override { return settings_.directory; }
    bool intervalEnabled(int slot) const override;
    std::string customIntervalText() const override { return settings_.customIntervalText; }
    bool addPerField() const override { return settings_.addPerField; }
    bool addMs7Period() const override { return settings_.addMs7Period; }
    bool addPeriodToSymbol() const override { return settings_.addPeriodToSymbol; }
    bool withVolume() const override { return settings_.withVolume; }
    bool russianLog() const override { return settings_.russianLog; }
    char decimalChar() const override { return settings_.decimalChar; }
    DateOrder dateOrder() const override { return settings_.dateOrder; }
    char decimalMark() const override { return settings_.decimalMark; }
    int priceDecimals() const override { return settings_.priceDecimals; }
    std::string metaStockFolder() const override { return settings_.metaStockFolder; }
    RecordOptions recordOptions() const override {
        return {settings_.addPerField, settings_.addMs7Period, settings_.addPeriodToSymbol,
                settings_.withVolume};
    }

  private:
    ConversionSettings settings_;
};

}  // namespace tarnix
