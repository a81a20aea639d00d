#pragma once

// The INI file layer under the settings storage: one key read or written at a time, every other line of the
// file left as it was.

#include <utility>

#include <QString>

namespace tarnix {

// One INI file, read afresh for every call and, for every write, replaced as a whole by a temporary file
// renamed over it, so that a program dying in the middle of a write never leaves half a file. The text
// within is read and edited as frontend's ini_text.h does it.
class ProfileFile {
  public:
    explicit ProfileFile(QString path) : path_(std::move(path)) {}

    // Where a file name without a directory lives: the user's configuration directory, $XDG_CONFIG_HOME or
    // else ~/.config.
    static QString PathOf(const QString& fileName);

    // The key's value (see IniValue); the fallback when the file, the section or the key is missing or the
    // file cannot be read.
    QString ReadString(const QString& section, const QString& key, const QString& fallback) const;

    // Sets the key's value (see WithIniValue). False, with the file untouched, when the file is
    // write-protected or unreadable, its directory cannot take the temporary file, or a text holds a line
    // break.
    bool WriteString(const QString& section, const QString& key, const QString& value) const;

  private:
    QString path_;
};

}  // namespace tarnix
