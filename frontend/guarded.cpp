#include "guarded.h"

#include <exception>

namespace tarnix::frontend {

std::optional<std::string> FailureOf(const std::function<void()>& handler) {
    try {
        handler();
        return std::nullopt;
    } catch (const std::exception& failure) {
        return failure.what();
    } catch (...) {
        return "Unknown failure";
    }
}

}  // namespace tarnix::frontend
