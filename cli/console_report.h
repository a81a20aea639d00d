#pragma once

// The console side of a run: a report that prints the log, with a progress line on a terminal.

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include "tarnix/conversion.h"

namespace tarnix::cli {

// A log line as a terminal shows it: control characters (from file names and quoted fields) written as
// \n, \r, \t or \xHH, so that no name can forge log lines or drive the terminal.
std::string EscapedControls(std::string_view line);

// Prints every log line to `log` at once. With a `progress` stream (a terminal), the line counter is shown
// there after the latest log line, redrawn in place a few times a second and erased before the next log
// line, so that `log` stays free of it. When a line cannot be written (a full disk, a closed file), the log
// is given up and the error kept for LogFailure(); a pipe closed by its reader ends the program at once,
// quietly, as it ends other command-line tools.
class ConsoleReport final : public ConversionReport {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // `clock` tells the time for the redraws; the default is a coarse monotonic clock, cheap enough to read
    // once for every input line.
    ConsoleReport(std::ostream& log, std::ostream* progress, Clock clock = CoarseClock());

    void AddLogLine(std::string_view line) override;
    void ShowLineCounter(std::int64_t lineNumber) override;
    void YieldToWindow() override {}

    // Erases the progress line, so that what the terminal shows next starts on a clean line.
    void Finish();
    // The error (errno) of the first log line that could not be written, or 0.
    int LogFailure() const { return logFailure_; }

  private:
    static Clock CoarseClock();
    void EraseProgress();

    std::ostream& log_;
    std::ostream* progress_;
    std::string lastLogLine_;
    int logFailure_ = 0;
    bool progressShown_ = false;
    Clock clock_;
    std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace tarnix::cli
