#include "ini_text.h"

#include <vector>

#include "tarnix/text_case.h"

namespace tarnix::frontend {
namespace {

struct Line {
    std::string text;
    // "\r\n", "\n", or nothing for a last line without one.
    std::string end;
};

// Lines [first, end) of a section: its header and the lines up to the next header.
struct Section {
    std::size_t first;
    std::size_t end;
};

bool IsIniSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view TrimIniSpace(std::string_view text) {
    return Trimmed(text, IsIniSpace);
}

std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    for (std::size_t start = 0; start < content.size();) {
        const std::size_t newline = content.find('\n', start);
        if (newline == std::string_view::npos) {
            lines.push_back({std::string(content.substr(start)), {}});
            break;
        }
        const std::size_t textEnd = newline > start && content[newline - 1] == '\r' ? newline - 1 : newline;
        lines.push_back({std::string(content.substr(start, textEnd - start)),
                         std::string(content.substr(textEnd, newline + 1 - textEnd))});
        start = newline + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<Line>& lines) {
    std::string content;
    for (const Line& line : lines) content += line.text + line.end;
    return content;
}

// New lines take the line end of the text's first line, so that a file edited on Windows stays CR LF.
std::string LineEndOf(const std::vector<Line>& lines) {
    return lines.empty() || lines.front().end.empty() ? "\n" : lines.front().end;
}

std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view trimmed = TrimIniSpace(line);
    const std::size_t close = trimmed.rfind(']');
    if (trimmed.empty() || trimmed.front() != '[' || close == std::string_view::npos) return std::nullopt;
    return TrimIniSpace(trimmed.substr(1, close - 1));
}

std::optional<std::string_view> KeyName(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || TrimIniSpace(line).front() == ';') return std::nullopt;
    return TrimIniSpace(line.substr(0, equals));
}

std::optional<Section> FindSection(const std::vector<Line>& lines, std::string_view name) {
    std::optional<Section> found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto header = SectionName(lines[i].text);
        if (!header) continue;
        if (found) return Section{found->first, i};
        if (EqualsIgnoringAsciiCase(*header, name)) found = Section{i, lines.size()};
    }
    return found;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, Section section, std::string_view key) {
    for (std::size_t i = section.first + 1; i < section.end; ++i) {
        const auto name = KeyName(lines[i].text);
        if (name && EqualsIgnoringAsciiCase(*name, key)) return i;
    }
    return std::nullopt;
}

// Blank lines at the end of a section usually set it apart from the next one, so new keys go above them.
std::size_t AfterLastContent(const std::vector<Line>& lines, Section section) {
    std::size_t last = section.first;
    for (std::size_t i = section.first + 1; i < section.end; ++i) {
        if (!TrimIniSpace(lines[i].text).empty()) last = i;
    }
    return last + 1;
}

void InsertLine(std::vector<Line>& lines, std::size_t at, std::string text) {
    const std::string end = LineEndOf(lines);
    if (at > 0 && lines[at - 1].end.empty()) lines[at - 1].end = end;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), end});
}

std::string_view Unquoted(std::string_view value) {
    const bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

// The cut never splits a UTF-8 sequence, which would read back as a replacement character.
std::string_view Truncated(std::string_view value) {
    if (value.size() <= kMaxIniValueBytes) return value;
    std::size_t end = kMaxIniValueBytes;
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
    return value.substr(0, end);
}

bool HoldsLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::optional<std::string> IniValue(std::string_view content, std::string_view section,
                                    std::string_view key) {
    const std::vector<Line> lines = SplitLines(content);
    const auto found = FindSection(lines, section);
    const auto at = found ? FindKey(lines, *found, key) : std::nullopt;
    if (!at) return std::nullopt;
    const std::string_view line = lines[*at].text;
    return std::string(Truncated(Unquoted(TrimIniSpace(line.substr(line.find('=') + 1)))));
}

std::optional<std::string> WithIniValue(std::string_view content, std::string_view section,
                                        std::string_view key, std::string_view value) {
    if (HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value)) return std::nullopt;
    std::vector<Line> lines = SplitLines(content);
    const std::string keyLine = std::string(key) + '=' + std::string(value);
    const auto found = FindSection(lines, section);
    if (!found) {
        InsertLine(lines, lines.size(), '[' + std::string(section) + ']');
        InsertLine(lines, lines.size(), keyLine);
    } else if (const auto at = FindKey(lines, *found, key)) {
        lines[*at].text = std::string(*KeyName(lines[*at].text)) + '=' + std::string(value);
    } else {
        InsertLine(lines, AfterLastContent(lines, *found), keyLine);
    }
    return JoinLines(lines);
}

}  // namespace tarnix::frontend
