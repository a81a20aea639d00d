#pragma once

// The settings file as both windows keep it: its name and section, the thirteen stored control values
// with their keys and forms, and the texts of the window placement.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "tarnix/conversion.h"

namespace tarnix::frontend {

inline constexpr std::string_view kIniFileName = "Tarnix.ini";
inline constexpr std::string_view kIniSection = "Main";
// A file whose "FormVersion" is below this one is not restored.
inline constexpr int kFormVersion = 0;

enum class PropertyKind { kText, kBoolean };

struct StoredProperty {
    std::string_view control;
    std::string_view property;  // spelled as the file spells it
    PropertyKind kind;
};

// The stored values, in the order in which they are read and written.
inline constexpr std::array<StoredProperty, 13> kStoredProperties = {{
    {"Dir", "Text", PropertyKind::kText},
    {"chClose", "Checked", PropertyKind::kBoolean},
    {"m10", "Checked", PropertyKind::kBoolean},
    {"m15", "Checked", PropertyKind::kBoolean},
    {"m5", "Checked", PropertyKind::kBoolean},
    {"m60", "Checked", PropertyKind::kBoolean},
    {"ms7", "Checked", PropertyKind::kBoolean},
    {"Cust", "Text", PropertyKind::kText},
    {"mCust", "Checked", PropertyKind::kBoolean},
    {"Period", "Checked", PropertyKind::kBoolean},
    {"Voluem", "Checked", PropertyKind::kBoolean},
    {"PER", "Checked", PropertyKind::kBoolean},
    {"Rus", "Checked", PropertyKind::kBoolean},
}};

// "Dir_Text", "chClose_Checked", ...
std::string KeyOf(const StoredProperty& stored);

// A text value as it is written: trimmed, and given one more pair of double quotes when it is enclosed in
// quotes of its own, since the profile reader takes one pair off.
std::string QuotedText(std::string_view text);

// A Boolean value as it is written, and as it is read: "True" or "False" in any case, trimmed; anything else
// leaves its check box as it is.
std::string_view BooleanText(bool value);
std::optional<bool> BooleanOf(std::string_view text);

// An integer value as it is read (the integer syntax of quote files), or `fallback`.
int IntegerOr(std::string_view text, int fallback);

// "Decimals": the decimals of the prices written, which a user may set by hand; the window never writes it.
inline constexpr std::string_view kDecimalsKey = "Decimals";
// Its value: 1 to 8, or, for a missing or any other value, the default of 4.
int PriceDecimalsOf(std::string_view text);

// "DateOrder" ("DMY", "MDY" or "YMD") and "DecimalMark" ("." or ","): how files of other layouts are read,
// which a user may set by hand; the window never writes them. Missing or any other value: the quotes decide.
inline constexpr std::string_view kDateOrderKey = "DateOrder";
inline constexpr std::string_view kDecimalMarkKey = "DecimalMark";
DateOrder DateOrderOf(std::string_view text);
char DecimalMarkOf(std::string_view text);

// The values of the keys a user sets by hand, as the window takes them at its start.
struct HandSetValues {
    int priceDecimals = kDefaultPriceDecimals;
    DateOrder dateOrder = DateOrder::kAutomatic;
    char decimalMark = 0;         // or '.' or ','
    std::string metaStockFolder;  // empty for bar files
};
// "MetaStockFolder": the MetaStock data folder that takes the bars instead of bar files, which a user may set
// by hand; the window never writes it. Its value trimmed; empty (or missing) for bar files.
inline constexpr std::string_view kMetaStockFolderKey = "MetaStockFolder";
std::string MetaStockFolderOf(std::string_view text);

// The placement's keys exist once for every screen size: "(1024x768)".
std::string ScreenSizeSuffix(int width, int height);

// Four numbers as "%d,%d,%d,%d", and back: words split at runs of commas and blanks, a missing or unreadable
// word giving the number of `fallback` in its place.
using Positions = std::array<int, 4>;
std::string PositionsText(const Positions& positions);
Positions PositionsOf(std::string_view text, const Positions& fallback);

}  // namespace tarnix::frontend
