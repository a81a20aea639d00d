#pragma once

// Letters, digits, blanks, case and name order of ASCII text: the only letters whose case Tarnix changes or
// ignores, in the quote files, in file names and in the settings file alike.

#include <algorithm>
#include <string_view>

namespace tarnix {

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A blank around a field of a quote line: a space or a tab.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A space or any control character: what surrounds a volume or a value of the settings file harmlessly.
inline bool IsSpaceOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

template <typename IsTrimmed>
std::string_view Trimmed(std::string_view text, IsTrimmed isTrimmed) {
    while (!text.empty() && isTrimmed(text.front())) text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back())) text.remove_suffix(1);
    return text;
}

inline std::string_view TrimBlanks(std::string_view text) {
    return Trimmed(text, IsBlank);
}

inline std::string_view TrimSpaceAndControls(std::string_view text) {
    return Trimmed(text, IsSpaceOrControl);
}

inline bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

// The one order of names in Tarnix (quote files in a run, entries in the folder dialog): without regard to
// the case of ASCII letters, the raw bytes settling ties, so that it is the same on every system and locale.
inline bool NameOrderLess(std::string_view a, std::string_view b) {
    const auto folded = [](char x, char y) {
        return static_cast<unsigned char>(AsciiUpper(x)) < static_cast<unsigned char>(AsciiUpper(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded)) return false;
    return a < b;
}

}  // namespace tarnix
