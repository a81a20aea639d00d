#pragma once

// What the header names of real exports say a column holds, in the languages they are written in.

#include <string>
#include <string_view>

namespace tarnix {

// Close, volume and tick volume have their fallbacks, told apart here.
enum class NamedRole { kNone, kTicker, kPeriod, kOpen, kHigh, kLow, kClose, kLast, kVolume, kTickVolume };

NamedRole RoleOfName(std::string_view name);

inline bool IsPriceName(NamedRole role) {
    return role >= NamedRole::kOpen && role <= NamedRole::kLast;
}

// A column name as it is compared: UTF-8 (Windows-1251 taken as such), upper case, without <, >, quotes,
// blanks, dots and underscores.
std::string NormalisedName(std::string_view name);

}  // namespace tarnix
