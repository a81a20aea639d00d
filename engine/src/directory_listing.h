#pragma once

// The quote files of a directory and the names their bar files take.

#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

// Bar files carry "-m" in their names, so they are never taken as input; any "-m", in either case and
// anywhere in the name, has the same effect.
bool HasBarFileMark(std::string_view name);

// The "*.txt" names among a directory's entries, in name order without regard to the case of ASCII letters
// (the raw bytes settle ties). The directory is listed once when a run starts, so bar files written during
// the run are not taken up.
std::vector<std::string> QuoteEntries(std::vector<std::string> names);

// The part of an entry's name that its bar files share: the name without its extension, case-folded, so
// that entries which would write the same bar files (also on a file system that ignores case) compare equal.
std::string BarFileStem(std::string_view name);

}  // namespace tarnix
