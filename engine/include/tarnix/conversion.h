#pragma once

// The front door of the conversion engine: a caller supplies the options and receives the report of a run.
// Both are read or called at the moment the run needs them, never cached, so a caller whose values change
// during a run (the window) sees each change take effect at the next reading.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnix {

// Number of interval slots: 5, 10, 15 and 60 minutes, then the custom interval.
inline constexpr int kSlotCount = 5;

// The option values of a run.
class ConversionOptions {
  public:
    virtual ~ConversionOptions() = default;

    // The directory to convert; never empty and ends with "/" when a run starts.
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
};

// How a run tells its caller what it does. Texts are 8-bit; the Russian ones are UTF-8.
class ConversionReport {
  public:
    virtual ~ConversionReport() = default;

    // One line of the run's log.
    virtual void AddLogLine(std::string_view line) = 0;
    // The line counter text, "Строка: " and the line number, once for every line read. The view is valid
    // only during the call.
    virtual void ShowLineCounter(std::string_view text) = 0;
    // Called after every bar record written, so that a window can handle its pending events.
    virtual void YieldToWindow() = 0;
};

// Converts every "*.txt" entry of options.directory(), in name order. Every entry ends with exactly one
// outcome in the log; a failing file is logged and the run goes on. Nothing is thrown.
void RunConversion(const ConversionOptions& options, ConversionReport& report);

// Converts like RunConversion, up to `workers` files at a time. `options` is read from several threads at
// once, so its values must not change during the run. `report` is called from the calling thread only, with
// exactly the log of a sequential run, in entry order; the line counter shows the oldest file not yet done,
// and YieldToWindow is not called. Entries whose bar files share names are converted one after the other in
// entry order, so the later entry's bar files win as in a sequential run.
void RunConversionInParallel(const ConversionOptions& options, ConversionReport& report, int workers);

// Converts one directory entry given by its name; logs its outcome and never throws.
void ConvertFile(std::string_view name, const ConversionOptions& options, ConversionReport& report);

// The integer syntax of quote fields and of the custom interval: leading blanks, then an optional sign and
// decimal digits within the 32-bit signed range, or a hex prefix ("$", "x", "X", "0x", "0X") and up to
// FFFFFFFF, taken as two's complement. Nothing may follow. Returns nothing when the text does not convert.
std::optional<std::int32_t> TryParseInteger(std::string_view text);

// Takes the decimal separator of the process locale (call setlocale(LC_ALL, "") first). Called once at
// start-up, before any run.
void DetectDecimalChar();

}  // namespace tarnix
