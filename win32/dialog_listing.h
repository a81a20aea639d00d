#pragma once

// What the folder dialog lists of a directory on Windows.

#include <string>
#include <vector>

namespace tarnix::win32 {

// The entries a user sees, in the program's one name order, as a run takes the quote files: no hidden or
// system ones, and neither "." nor "..".
struct DialogListing {
    std::vector<std::string> directories;
    std::vector<std::string> files;
};

// Lists `directory`; nothing when it cannot be read.
DialogListing ListForDialog(const std::string& directory);

}  // namespace tarnix::win32
