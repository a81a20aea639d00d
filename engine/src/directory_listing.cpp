#include "directory_listing.h"

#include <algorithm>

#include "tarnix/text_case.h"

namespace tarnix {
namespace {

bool HasTxtExtension(std::string_view name) {
    return name.size() >= 4 && EqualsIgnoringAsciiCase(name.substr(name.size() - 4), ".txt");
}

}  // namespace

bool HasBarFileMark(std::string_view name) {
    for (std::size_t i = 0; i + 1 < name.size(); ++i) {
        if (name[i] == '-' && AsciiUpper(name[i + 1]) == 'M') return true;
    }
    return false;
}

std::vector<std::string> QuoteEntries(std::vector<std::string> names) {
    std::erase_if(names, [](const std::string& name) { return !HasTxtExtension(name); });
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NameOrderLess(a, b); });
    return names;
}

std::string BarFileStem(std::string_view name) {
    std::string stem(name.substr(0, name.size() >= 4 ? name.size() - 4 : 0));
    std::transform(stem.begin(), stem.end(), stem.begin(), AsciiUpper);
    return stem;
}

}  // namespace tarnix
