// The Windows folder dialog lists a directory in the same order as the Qt one, from the same table.

#include "dialog_listing.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dialog_order.h"
#include "tarnix/system.h"
#include "test_support.h"

namespace tarnix::win32 {
namespace {

template <std::size_t size>
std::vector<std::string> Names(const std::array<std::string_view, size>& names) {
    return {names.begin(), names.end()};
}

TEST(DialogListing, VisibleEntriesInTheProgramsOneNameOrder) {
    const test::TempDir directory;
    for (const test::OrderedEntry& entry : test::kOrderedEntries) {
        const std::string path = directory.PathOf(std::string(entry.name));
        if (entry.directory) {
            std::filesystem::create_directory(test::Utf8Path(path));
        } else {
            directory.Write(std::string(entry.name), "");
        }
        if (entry.name.starts_with('.')) {
            ASSERT_TRUE(SetFileAttributesW(platform::Utf16(path).c_str(), FILE_ATTRIBUTE_HIDDEN)) << path;
        }
    }
    const DialogListing listing = ListForDialog(directory.path());
    EXPECT_EQ(listing.directories, Names(test::kListedDirectories));
    EXPECT_EQ(listing.files, Names(test::kListedFiles));
}

}  // namespace
}  // namespace tarnix::win32
