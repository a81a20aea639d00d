#include "directory_field.h"

#include <cstddef>

#include "tarnix/text_case.h"

namespace tarnix::frontend {
namespace {

constexpr int kRootIndent = 2;
// Between an entry's image and its name, and from one level of the tree to the next.
constexpr int kIndentStep = 4;
constexpr std::string_view kEllipsis = "...";

// An absolute path split into its root ("/" or "c:\") and the names below it.
struct SplitPath {
    std::string root;
    std::vector<std::string> names;
};

SplitPath Split(std::string_view path, char separator) {
    const std::size_t rootEnd = path.find(separator);
    if (rootEnd == std::string_view::npos) return {std::string(path), {}};
    SplitPath split{std::string(path.substr(0, rootEnd + 1)), {}};
    std::size_t start = rootEnd + 1;
    while (start < path.size()) {
        std::size_t end = path.find(separator, start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) split.names.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return split;
}

std::string Joined(const std::vector<std::string>& names, std::size_t first, std::size_t last,
                   char separator) {
    std::string joined;
    for (std::size_t i = first; i < last; ++i) {
        if (i > first) joined += separator;
        joined += names[i];
    }
    return joined;
}

std::vector<std::string> ShorterForms(std::string_view path, char separator) {
    const SplitPath split = Split(path, separator);
    std::vector<std::string> forms{std::string(path)};
    if (split.names.empty()) return forms;
    const std::size_t count = split.names.size();
    const std::string elided = std::string(kEllipsis) + separator;
    for (std::size_t cut = 1; cut < count; ++cut) {
        forms.push_back(split.root + elided + Joined(split.names, cut, count, separator));
    }
    if (count > 1) forms.push_back(elided + split.names.back());
    forms.push_back(split.names.back());
    return forms;
}

// Whether `root` is `directory` or one of the directories above it; drive letters are ASCII and come in
// either case.
bool Holds(std::string_view root, std::string_view directory, char separator) {
    if (root.empty() || directory.size() < root.size()) return false;
    const bool onDrive = root.size() >= 2 && root[1] == ':';
    const std::string_view start = directory.substr(0, root.size());
    if (onDrive ? !EqualsIgnoringAsciiCase(start, root) : start != root) return false;
    return directory.size() == root.size() || root.back() == separator || directory[root.size()] == separator;
}

}  // namespace

std::string BrowseStartDirectory(std::string_view text, std::string_view initialDir, std::string_view root,
                                 const IsDirectory& isDirectory) {
    std::string start(text);
    if (start.empty()) start = initialDir.empty() ? root : initialDir;
    return isDirectory(start) ? start : std::string(root);
}

void FolderMemory::Chose(const std::string& directory) {
    if (!directory.empty() && isDirectory_(directory)) initialDir_ = directory;
}

std::string StartPattern(std::string_view start, char separator) {
    std::string pattern(start);
    if (pattern.empty() || pattern.back() != separator) pattern += separator;
    return pattern + "*.*";
}

std::optional<std::string> DirectoryOfPattern(std::string_view fullPattern) {
    if (fullPattern.size() < 3 || fullPattern[1] != ':') return std::nullopt;
    const std::size_t separator = fullPattern.find_last_of("\\/");
    if (separator == std::string_view::npos) return std::nullopt;
    return std::string(fullPattern.substr(0, separator));
}

std::vector<DirEntry> DirListEntries(std::string_view directory, char separator,
                                     const std::vector<std::string>& subdirectories) {
    const SplitPath split = Split(directory, separator);
    std::vector<DirEntry> entries{{split.root, split.root, kRootIndent, FolderImage::kOpened}};
    for (std::size_t level = 1; level <= split.names.size(); ++level) {
        entries.push_back({split.names[level - 1], split.root + Joined(split.names, 0, level, separator),
                           kRootIndent + kIndentStep * static_cast<int>(level), FolderImage::kOpened});
    }
    entries.back().image = FolderImage::kCurrent;
    std::string parent(directory);
    if (parent.empty() || parent.back() != separator) parent += separator;
    const int indent = entries.back().indent + kIndentStep;
    for (const std::string& name : subdirectories) {
        entries.push_back({name, parent + name, indent, FolderImage::kClosed});
    }
    return entries;
}

std::string DriveEntryText(std::string_view root, DriveKind kind, std::string_view label,
                           std::string_view networkPath) {
    if (kind == DriveKind::kRemovable) return std::string(root);
    if (kind == DriveKind::kNetwork && !networkPath.empty())
        return std::string(root) + ' ' + std::string(networkPath);
    return std::string(root) + " [" + std::string(label) + ']';
}

std::optional<std::size_t> DriveOfDirectory(const std::vector<std::string>& roots, std::string_view directory,
                                            char separator) {
    std::optional<std::size_t> innermost;
    for (std::size_t drive = 0; drive < roots.size(); ++drive) {
        if (Holds(roots[drive], directory, separator) &&
            (!innermost || roots[drive].size() > roots[*innermost].size())) {
            innermost = drive;
        }
    }
    return innermost;
}

std::string ShortenedPath(std::string_view path, char separator, int width,
                          const std::function<int(std::string_view)>& textWidth) {
    const std::vector<std::string> forms = ShorterForms(path, separator);
    for (const std::string& form : forms) {
        if (textWidth(form) <= width) return form;
    }
    return forms.back();
}

std::string CannotOpenMessage(std::string_view directory, std::string_view reason) {
    return "Cannot open " + std::string(directory) + ": " + std::string(reason);
}

}  // namespace tarnix::frontend
