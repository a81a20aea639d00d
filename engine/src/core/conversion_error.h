#pragma once

#include <cstdint>
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

// The message of a field that does not read: "'<text>' is not a valid <what>", the text as the field holds
// it.
inline std::string NotValidMessage(std::string_view text, std::string_view what) {
    return "'" + std::string(text) + "' is not a valid " + std::string(what);
}

[[noreturn]] inline void ThrowNotValid(std::string_view text, std::string_view what) {
    throw ConversionError(NotValidMessage(text, what));
}

// A date, time or price of a line in the design's layout that does not read: the line has the design's shape,
// so the design reading refuses it rather than handing the file to another layout.
class DesignValueError : public ConversionError {
  public:
    using ConversionError::ConversionError;
};

[[noreturn]] inline void ThrowDesignValueNotValid(std::string_view text, std::string_view what) {
    throw DesignValueError(NotValidMessage(text, what));
}

// A failure found at one line of a file before its reading starts; the log adds where the line stands in its
// own language.
class LineError : public ConversionError {
  public:
    LineError(const std::string& message, std::int64_t line) : ConversionError(message), line_(line) {}

    std::int64_t line() const { return line_; }

  private:
    std::int64_t line_;
};

}  // namespace tarnix
