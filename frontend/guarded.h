#pragma once

// The last resort of a window's handlers, in either toolkit: nothing may escape into the toolkit or the
// system, which called the handler.

#include <functional>
#include <optional>
#include <string>

namespace tarnix::frontend {

// Runs `handler`; the message of a failure that escaped it, nothing when it ran through.
std::optional<std::string> FailureOf(const std::function<void()>& handler);

}  // namespace tarnix::frontend
