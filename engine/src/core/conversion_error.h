#pragma once

#include <stdexcept>
#include <string>

namespace tarnix {

// A failure that ends the conversion of one file; message() is the exact text that follows "Error: " in the
// log. what() stops at a NUL byte, which a quote field quoted in the message may hold; message() does not.
class ConversionError : public std::runtime_error {
  public:
    explicit ConversionError(const std::string& message) : std::runtime_error(message), message_(message) {}

    const std::string& message() const { return message_; }

  private:
    std::string message_;
};

}  // namespace tarnix
