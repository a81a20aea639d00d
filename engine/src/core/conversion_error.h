#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

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

// The failure of a field that does not read: "'<text>' is not a valid <what>", the text as the field holds
// it.
[[noreturn]] inline void ThrowNotValid(std::string_view text, std::string_view what) {
    throw ConversionError("'" + std::string(text) + "' is not a valid " + std::string(what));
}

}  // namespace tarnix
