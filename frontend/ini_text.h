#pragma once

// The text of a settings file where no system call edits it: one key read or set at a time, every other line
// of the text left as it was. Texts are UTF-8; section and key names match without regard to the case of
// ASCII letters, and only the first section of a name counts.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarnix::frontend {

// Values longer than this many bytes are cut when read.
inline constexpr std::size_t kMaxIniValueBytes = 2047;

// The key's value in `content`, trimmed, one pair of enclosing double or single quotes removed, cut to
// kMaxIniValueBytes bytes; nothing when the section or the key is missing.
std::optional<std::string> IniValue(std::string_view content, std::string_view section, std::string_view key);

// `content` with the key set to `value`: an existing key keeps its line, a new key goes after the last line
// of its section, a new section at the end. Nothing when a text holds a line break, which would split its
// line in two.
std::optional<std::string> WithIniValue(std::string_view content, std::string_view section,
                                        std::string_view key, std::string_view value);

}  // namespace tarnix::frontend
