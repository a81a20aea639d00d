#include "dialog_listing.h"

#include <windows.h>

#include <algorithm>

#include "tarnix/system.h"
#include "tarnix/text_case.h"

namespace tarnix::win32 {
namespace {

void SortByName(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NameOrderLess(a, b); });
}

}  // namespace

DialogListing ListForDialog(const std::string& directory) {
    std::wstring pattern = platform::Utf16(directory);
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    DialogListing listing;
    WIN32_FIND_DATAW entry{};
    const HANDLE search =
        FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return listing;
    do {
        const std::wstring_view name = entry.cFileName;
        const bool hidden = (entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
        if (hidden || name == L"." || name == L"..") continue;
        const bool directoryEntry = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        (directoryEntry ? listing.directories : listing.files).push_back(platform::Utf8(name));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    SortByName(listing.directories);
    SortByName(listing.files);
    return listing;
}

}  // namespace tarnix::win32
