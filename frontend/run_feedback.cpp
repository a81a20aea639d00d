#include "run_feedback.h"

#include "tarnix/conversion.h"

namespace tarnix::frontend {

bool RunFeedback::YieldDue(std::chrono::steady_clock::time_point now) {
    if (now - lastYield_ < kYieldInterval) return false;
    lastYield_ = now;
    return true;
}

std::optional<std::string> RunFeedback::TakeCounterText() {
    if (!pending_) return std::nullopt;
    pending_ = false;
    return LineCounterText(lineNumber_);
}

}  // namespace tarnix::frontend
