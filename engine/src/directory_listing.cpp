#include "directory_listing.h"

#include <algorithm>

namespace tarnix {
namespace {

bool HasTxtExtension(std::string_view name) {
    if (name.size() < 4) return false;
    std::string extension(name.substr(name.size() - 4));
    std::transform(extension.begin(), extension.end(), extension.begin(), UpperAscii);
    return extension == ".TXT";
}

// Name order without regard to the case of ASCII letters; the raw bytes settle ties.
bool NameOrderLess(const std::string& a, const std::string& b) {
    const auto folded = [](char x, char y) {
        return static_cast<unsigned char>(UpperAscii(x)) < static_cast<unsigned char>(UpperAscii(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded)) return false;
    return a < b;
}

}  // namespace

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool HasBarFileMark(std::string_view name) {
    for (std::size_t i = 0; i + 1 < name.size(); ++i) {
        if (name[i] == '-' && UpperAscii(name[i + 1]) == 'M') return true;
    }
    return false;
}

std::vector<std::string> QuoteEntries(std::vector<std::string> names) {
    std::erase_if(names, [](const std::string& name) { return !HasTxtExtension(name); });
    std::sort(names.begin(), names.end(), NameOrderLess);
    return names;
}

std::string BarFileStem(std::string_view name) {
    std::string stem(name.substr(0, name.size() >= 4 ? name.size() - 4 : 0));
    std::transform(stem.begin(), stem.end(), stem.begin(), UpperAscii);
    return stem;
}

}  // namespace tarnix
