#include "console_report.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "tarnix/system.h"

namespace tarnix::cli {
namespace {

constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);
// The exit status of a run whose log could not be written.
constexpr int kExitLogLost = 2;

}  // namespace

std::string EscapedControls(std::string_view line) {
    std::string escaped;
    escaped.reserve(line.size());
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            escaped.push_back(c);
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\t') {
            escaped += "\\t";
        } else {
            constexpr std::string_view kHex = "0123456789abcdef";
            escaped += "\\x";
            escaped.push_back(kHex[byte >> 4]);
            escaped.push_back(kHex[byte & 0xF]);
        }
    }
    return escaped;
}

ConsoleReport::ConsoleReport(std::ostream& log, std::ostream* progress, Clock clock)
    : log_(log), progress_(progress), clock_(std::move(clock)), lastDraw_(clock_()) {}

ConsoleReport::Clock ConsoleReport::CoarseClock() {
    return platform::CoarseNow;
}

void ConsoleReport::AddLogLine(std::string_view line) {
    EraseProgress();
    lastLogLine_ = EscapedControls(line);
    if (logFailure_ != 0) return;
    errno = 0;
    log_ << lastLogLine_ << '\n' << std::flush;
    if (log_) return;
    logFailure_ = errno != 0 ? errno : EIO;
    // Where a broken pipe raises no signal (it is ignored, or on Windows), the reader's leaving still ends
    // the run, with nothing more to say.
    if (platform::WriteHitBrokenPipe(logFailure_)) std::_Exit(kExitLogLost);
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
