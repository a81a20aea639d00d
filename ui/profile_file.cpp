#include "profile_file.h"

#include <optional>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tarnix {
namespace {

struct Line {
    QByteArray text;
    // "\r\n", "\n", or nothing for a last line without one.
    QByteArray end;
};

// Lines [first, end) of a section: its header and the lines up to the next header.
struct Section {
    std::size_t first;
    std::size_t end;
};

std::vector<Line> SplitLines(const QByteArray& content) {
    std::vector<Line> lines;
    for (qsizetype start = 0; start < content.size();) {
        const qsizetype newline = content.indexOf('\n', start);
        if (newline < 0) {
            lines.push_back({content.mid(start), {}});
            break;
        }
        const qsizetype textEnd = newline > start && content[newline - 1] == '\r' ? newline - 1 : newline;
        lines.push_back({content.mid(start, textEnd - start), content.mid(textEnd, newline + 1 - textEnd)});
        start = newline + 1;
    }
    return lines;
}

QByteArray JoinLines(const std::vector<Line>& lines) {
    QByteArray content;
    for (const Line& line : lines) content += line.text + line.end;
    return content;
}

// New lines take the line end of the file's first line, so that a file edited on Windows stays CR LF.
QByteArray LineEndOf(const std::vector<Line>& lines) {
    return lines.empty() || lines.front().end.isEmpty() ? QByteArray("\n") : lines.front().end;
}

bool SameName(const QByteArray& name, const QString& wanted) {
    return QString::fromUtf8(name).compare(wanted, Qt::CaseInsensitive) == 0;
}

std::optional<QByteArray> SectionName(const QByteArray& line) {
    const QByteArray trimmed = line.trimmed();
    const qsizetype close = trimmed.lastIndexOf(']');
    if (!trimmed.startsWith('[') || close < 0) return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

std::optional<QByteArray> KeyName(const QByteArray& line) {
    const qsizetype equals = line.indexOf('=');
    if (equals < 0 || line.trimmed().startsWith(';')) return std::nullopt;
    return line.left(equals).trimmed();
}

std::optional<Section> FindSection(const std::vector<Line>& lines, const QString& name) {
    std::optional<Section> found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto header = SectionName(lines[i].text);
        if (!header) continue;
        if (found) return Section{found->first, i};
        if (SameName(*header, name)) found = Section{i, lines.size()};
    }
    return found;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, Section section, const QString& key) {
    for (std::size_t i = section.first + 1; i < section.end; ++i) {
        const auto name = KeyName(lines[i].text);
        if (name && SameName(*name, key)) return i;
    }
    return std::nullopt;
}

// Blank lines at the end of a section usually set it apart from the next one, so new keys go above them.
std::size_t AfterLastContent(const std::vector<Line>& lines, Section section) {
    std::size_t last = section.first;
    for (std::size_t i = section.first + 1; i < section.end; ++i) {
        if (!lines[i].text.trimmed().isEmpty()) last = i;
    }
    return last + 1;
}

void InsertLine(std::vector<Line>& lines, std::size_t at, const QByteArray& text) {
    const QByteArray end = LineEndOf(lines);
    if (at > 0 && lines[at - 1].end.isEmpty()) lines[at - 1].end = end;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line{text, end});
}

void SetKey(std::vector<Line>& lines, const QString& sectionName, const QString& key,
            const QByteArray& value) {
    const auto section = FindSection(lines, sectionName);
    if (!section) {
        InsertLine(lines, lines.size(), '[' + sectionName.toUtf8() + ']');
        InsertLine(lines, lines.size(), key.toUtf8() + '=' + value);
    } else if (const auto at = FindKey(lines, *section, key)) {
        lines[*at].text = *KeyName(lines[*at].text) + '=' + value;
    } else {
        InsertLine(lines, AfterLastContent(lines, *section), key.toUtf8() + '=' + value);
    }
}

QByteArray Unquoted(const QByteArray& value) {
    const bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return quoted ? value.mid(1, value.size() - 2) : value;
}

// The cut never splits a UTF-8 sequence, which would read back as a replacement character.
QByteArray Truncated(QByteArray value) {
    if (value.size() <= ProfileFile::kMaxValueLength) return value;
    qsizetype end = ProfileFile::kMaxValueLength;
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
    value.truncate(end);
    return value;
}

bool HoldsLineBreak(const QString& text) {
    return text.contains('\n') || text.contains('\r');
}

// A missing file reads as an empty one; nothing when the file exists but cannot be read.
std::optional<QByteArray> ReadContent(const QString& path) {
    QFile file(path);
    if (!file.exists()) return QByteArray();
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

// QSaveFile refuses a file that we may not write, but root may write any file: a file without a single
// write permission is refused for root as well.
bool IsWriteProtected(const QString& path) {
    const QFileInfo info(path);
    constexpr auto kAnyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.exists() && !(info.permissions() & kAnyWrite);
}

bool Replace(const QString& path, const QByteArray& content) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

}  // namespace

QString ProfileFile::PathOf(const QString& fileName) {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).filePath(fileName);
}

QString ProfileFile::ReadString(const QString& section, const QString& key, const QString& fallback) const {
    const auto content = ReadContent(path_);
    if (!content) return fallback;
    const std::vector<Line> lines = SplitLines(*content);
    const auto found = FindSection(lines, section);
    const auto at = found ? FindKey(lines, *found, key) : std::nullopt;
    if (!at) return fallback;
    const QByteArray& line = lines[*at].text;
    return QString::fromUtf8(Truncated(Unquoted(line.mid(line.indexOf('=') + 1).trimmed())));
}

bool ProfileFile::WriteString(const QString& section, const QString& key, const QString& value) const {
    if (HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value) || IsWriteProtected(path_)) {
        return false;
    }
    const auto content = ReadContent(path_);
    if (!content) return false;
    std::vector<Line> lines = SplitLines(*content);
    SetKey(lines, section, key, value.toUtf8());
    return Replace(path_, JoinLines(lines));
}

}  // namespace tarnix
