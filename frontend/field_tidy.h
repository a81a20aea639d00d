#pragma once

// What a click on "Process" makes of the custom interval before the run reads it, in either window. The
// directory field is tidied by the engine's ResolveDirectory.

#include <string>
#include <string_view>

namespace tarnix::frontend {

// The custom interval as a run reads it, written plainly (" 015" gives "15", "$F0" gives "240"); a text that
// is not an integer gives the default "240".
std::string TidyCustomInterval(std::string_view text);

}  // namespace tarnix::frontend
