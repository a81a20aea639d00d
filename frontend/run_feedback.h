#pragma once

// What a window shows of a run while it goes on: the line counter, and when to handle its events.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tarnix::frontend {

// Handling a window's events costs about as much as converting the lines of a bar, and repainting the
// counter many times more, so a run that did both after every bar record would take several times as long.
// Events wait at most this long instead, far below what a user notices.
inline constexpr std::chrono::milliseconds kYieldInterval{10};

class RunFeedback {
  public:
    // Keeps the number of the line being read; called for every line, so it does nothing more.
    void SetLineNumber(std::int64_t lineNumber) {
        lineNumber_ = lineNumber;
        pending_ = true;
    }
    // Whether the window's events are due: at most once every kYieldInterval.
    bool YieldDue(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());
    // The counter's text for the latest number, once; nothing when no new number has come since.
    std::optional<std::string> TakeCounterText();

  private:
    std::int64_t lineNumber_ = 0;
    bool pending_ = false;
    std::chrono::steady_clock::time_point lastYield_;
};

}  // namespace tarnix::frontend
