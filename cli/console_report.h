#pragma once

// The console side of a run: options taken from the command line, and a report that prints the log.

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "command_line.h"
#include "tarnix/conversion.h"

namespace tarnix::cli {

class CommandLineOptions final : public ConversionOptions {
  public:
    explicit CommandLineOptions(CommandLine line) : line_(std::move(line)) {}

    std::string directory() const override { return line_.directory; }
    bool intervalEnabled(int slot) const override;
    std::string customIntervalText() const override { return line_.customIntervalText; }
    bool addPerField() const override { return line_.addPerField; }
    bool addMs7Period() const override { return line_.addMs7Period; }
    bool addPeriodToSymbol() const override { return line_.addPeriodToSymbol; }
    bool withVolume() const override { return line_.withVolume; }
    bool russianLog() const override { return line_.russianLog; }

  private:
    CommandLine line_;
};

// Prints every log line to `log` at once. With a `progress` stream (a terminal), the line counter is shown
// there after the latest log line, redrawn in place a few times a second and erased before the next log
// line, so that `log` stays free of it.
class ConsoleReport final : public ConversionReport {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // `clock` tells the time for the redraws; the default is a coarse monotonic clock, cheap enough to read
    // once for every input line.
    ConsoleReport(std::ostream& log, std::ostream* progress, Clock clock = CoarseClock());

    void AddLogLine(std::string_view line) override;
    void ShowLineCounter(std::string_view text) override;
    void YieldToWindow() override {}

    // Erases the progress line, so that what the terminal shows next starts on a clean line.
    void Finish();
    bool errorLogged() const { return errorLogged_; }

  private:
    static Clock CoarseClock();
    void EraseProgress();

    std::ostream& log_;
    std::ostream* progress_;
    std::string lastLogLine_;
    bool errorLogged_ = false;
    bool progressShown_ = false;
    Clock clock_;
    std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace tarnix::cli
