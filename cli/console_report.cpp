#include "console_report.h"

namespace tarnix::cli {
namespace {

// The counter is shown once for every input line, millions of times a run: reading the clock on each call
// would cost more than the conversion itself.
constexpr unsigned kCallsPerClockCheck = 4096;
constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);

}  // namespace

bool CommandLineOptions::intervalEnabled(int slot) const {
    return slot >= 1 && slot <= kSlotCount && line_.intervalEnabled[static_cast<std::size_t>(slot - 1)];
}

void ConsoleReport::AddLogLine(std::string_view line) {
    EraseProgress();
    if (line.starts_with("Error: ")) errorLogged_ = true;
    lastLogLine_.assign(line);
    log_ << line << '\n' << std::flush;
}

void ConsoleReport::ShowLineCounter(std::string_view text) {
    if (progress_ == nullptr || ++callsSinceClockCheck_ < kCallsPerClockCheck) return;
    callsSinceClockCheck_ = 0;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDraw_ < kRedrawPeriod) return;
    lastDraw_ = now;
    *progress_ << '\r' << lastLogLine_ << "  " << text << std::flush;
    progressShown_ = true;
}

void ConsoleReport::Finish() {
    EraseProgress();
}

void ConsoleReport::EraseProgress() {
    if (!progressShown_) return;
    *progress_ << "\r\033[K" << std::flush;
    progressShown_ = false;
}

}  // namespace tarnix::cli
