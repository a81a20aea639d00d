#pragma once

// What the header names of real exports say a column holds, in the languages they are written in.

#include <string>
#include <string_view>

namespace tarnix {

// Close, volume and tick volume have their fallbacks, told apart here. kOther is a column named as something
// Tarnix does not read (trade counts, money turnover, indicators): never taken for a price or the volume.
enum class NamedRole {
    kNone,
    kTicker,
    kPeriod,
    kDate,
    kTime,
    kOpen,
    kHigh,
    kLow,
    kClose,
    kLast,
    kVolume,
    kTickVolume,
    kOther
};

NamedRole RoleOfName(std::string_view name);

inline bool IsPriceName(NamedRole role) {
    return role >= NamedRole::kOpen && role <= NamedRole::kLast;
}

// A column name as it is compared: UTF-8 (Windows-1251 taken as such), upper case, Latin letters without
// their accents, without <, >, quotes, blanks, dots and underscores.
std::string NormalisedName(std::string_view name);

}  // namespace tarnix
