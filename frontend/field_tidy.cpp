#include "field_tidy.h"

#include "tarnix/conversion.h"

namespace tarnix::frontend {

std::string TidyCustomInterval(std::string_view text) {
    const auto minutes = TryParseInteger(text);
    return minutes ? std::to_string(*minutes) : std::string(kDefaultCustomInterval);
}

}  // namespace tarnix::frontend
