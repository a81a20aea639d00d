#include "console_report.h"

#include <time.h>

#include <utility>

namespace tarnix::cli {
namespace {

constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);

}  // namespace

ConsoleReport::ConsoleReport(std::ostream& log, std::ostream* progress, Clock clock)
    : log_(log), progress_(progress), clock_(std::move(clock)), lastDraw_(clock_()) {}

ConsoleReport::Clock ConsoleReport::CoarseClock() {
    return [] {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
        return std::chrono::steady_clock::time_point(std::chrono::seconds(now.tv_sec) +
                                                     std::chrono::nanoseconds(now.tv_nsec));
    };
}

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
    if (progress_ == nullptr) return;
    const auto now = clock_();
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
