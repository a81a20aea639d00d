#include "profile_file.h"

#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "ini_text.h"

namespace tarnix {
namespace {

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
    const auto value =
        content ? frontend::IniValue(content->toStdString(), section.toStdString(), key.toStdString())
                : std::nullopt;
    return value ? QString::fromStdString(*value) : fallback;
}

bool ProfileFile::WriteString(const QString& section, const QString& key, const QString& value) const {
    if (IsWriteProtected(path_)) return false;
    const auto content = ReadContent(path_);
    const auto edited = content ? frontend::WithIniValue(content->toStdString(), section.toStdString(),
                                                         key.toStdString(), value.toStdString())
                                : std::nullopt;
    return edited && Replace(path_, QByteArray::fromStdString(*edited));
}

}  // namespace tarnix
