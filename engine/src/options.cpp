#include <string>
#include <utility>

#include "platform/platform.h"
#include "tarnix/conversion.h"

namespace tarnix {
namespace {

bool EndsWithSeparator(std::string_view path) {
    // Windows takes "/" as a separator too.
    return !path.empty() && (path.back() == kPathSeparator || path.back() == '/');
}

}  // namespace

std::string LineCounterText(std::int64_t lineNumber) {
    return "Строка: " + std::to_string(lineNumber);
}

char DetectDecimalChar() {
    return platform::LocalDecimalChar();
}

std::string ResolveDirectory(std::string_view text, std::string_view programDirectory) {
    std::string directory(text.empty() ? programDirectory : text);
    if (!EndsWithSeparator(directory)) directory.push_back(kPathSeparator);
    return directory;
}

FixedOptions::FixedOptions(ConversionSettings settings) : settings_(std::move(settings)) {}

bool FixedOptions::intervalEnabled(int slot) const {
    return slot >= 1 && slot <= kSlotCount && settings_.intervalEnabled[static_cast<std::size_t>(slot - 1)];
}

}  // namespace tarnix
