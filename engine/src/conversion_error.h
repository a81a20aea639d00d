#pragma once

#include <stdexcept>
#include <string>

namespace tarnix {

// A failure that ends the conversion of one file; what() is the exact text that follows "Error: " in the log.
class ConversionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The log message for a failed file operation on `path` with error code `err`.
std::string FileErrorMessage(int err, const std::string& path);

// Throws ConversionError with the message for `err` (an errno value) on `path`.
[[noreturn]] void ThrowFileError(int err, const std::string& path);

}  // namespace tarnix
