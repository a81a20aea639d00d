#include "console_report.h"

#include <utility>

#include "platform/platform.h"

namespace tarnix::cli {
namespace {

constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);

}  // namespace

ConsoleReport::ConsoleReport(std::ostream& log, std::ostream* progress, Clock clock)
    : log_(log), progress_(progress), clock_(std::move(clock)), lastDraw_(clock_()) {}

ConsoleReport::Clock ConsoleReport::CoarseClock() {
    return platform::CoarseNow;
}

void ConsoleReport::AddLogLine(std::string_view line) {
    EraseProgress();
    lastLogLine_.assign(line);
    log_ << line << '\n' << std::flush;
}

void ConsoleReport::ShowLineCounter(std::int64_t lineNumber) {
    if (progress_ == nullptr) return;
    const auto now = clock_();
    if (now - lastDraw_ < kRedrawPeriod) return;
    lastDraw_ = now;
    *progress_ << '\r' << lastLogLine_ << "  " << LineCounterText(lineNumber) << std::flush;
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
