#pragma once

// One directory's entries and how both folder dialogs, the Qt one and the Windows one, list them: in the
// program's one name order, which folds the case of ASCII letters only and takes every other character by
// its UTF-8 bytes, digits as text; hidden entries left out. The hidden ones are those starting with ".",
// hidden on Linux by their name and given the hidden attribute by the Windows test.

#include <array>
#include <string_view>

namespace tarnix::test {

struct OrderedEntry {
    std::string_view name;
    bool directory;
};

// In no particular order. No two names differ in case alone: Windows keeps only one of them.
inline constexpr std::array<OrderedEntry, 22> kOrderedEntries = {{
    {"gamma", true},  {"beta", true},     {"Alpha", true},   {".hidden", true}, {"10", true},
    {"9", true},      {"Zeta", true},     {"_tmp", true},    {"école", true},   {"Éclair", true},
    {"ёлка", true},   {"Яблоко", true},   {"абв", true},     {"ab", true},      {"a-c", true},
    {"b.txt", false}, {"A.txt", false},   {".h.txt", false}, {"Z.txt", false},  {"ж.txt", false},
    {"Ё.txt", false}, {"a b.txt", false},
}};

inline constexpr std::array<std::string_view, 14> kListedDirectories = {
    "10",   "9",    "a-c",    "ab",    "Alpha",  "beta", "gamma",
    "Zeta", "_tmp", "Éclair", "école", "Яблоко", "абв",  "ёлка"};

inline constexpr std::array<std::string_view, 6> kListedFiles = {"a b.txt", "A.txt", "b.txt",
                                                                 "Z.txt",   "Ё.txt", "ж.txt"};

}  // namespace tarnix::test
