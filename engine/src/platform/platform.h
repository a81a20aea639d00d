#pragma once

// Everything of Tarnix that touches the operating system: files, directories, error texts, the locale and
// the console. posix.cpp and win32.cpp implement it; no other source includes a system header. The part that
// the converter and the windows use is public, in tarnix/system.h. Paths are
// UTF-8 text (on Windows they become UTF-16 at the system call).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tarnix/system.h"

namespace tarnix::platform {

// The system's code of a failed call: errno, or a Win32 error code.
using ErrorCode = int;

// A directory opened once for a run: its listing and its entries are reached through it, so that a link
// swapped into its path meanwhile redirects nothing (a link in the path as given is followed once, at the
// start). Entries are named without a directory.
class Directory {
  public:
    // `path` ends with a separator, or is empty for the working directory. A failure is kept in error().
    explicit Directory(const std::string& path);
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;
    ~Directory();

    // Why the directory could not be opened; 0 when it was.
    ErrorCode error() const { return error_; }
    // The entry's path as the user gave the directory, for messages.
    std::string PathOf(const std::string& name) const { return path_ + name; }

    // For this layer's own calls: the open directory, and the entry's path as the system resolved the
    // directory at the start (for the calls that take no directory, on Windows).
    std::intptr_t handle() const { return handle_; }
    std::string SystemPathOf(const std::string& name) const { return resolved_ + name; }

  private:
    std::intptr_t handle_ = -1;
    std::string path_;
    std::string resolved_;  // the directory's path as the system resolved it at the start (Windows)
    ErrorCode error_ = 0;
};

// A file opened by this layer. Failures raise ConversionError with the log's message for the error.
class File {
  public:
    File() = default;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    // A file still open here belongs to a failed conversion: it is closed and errors are ignored.
    ~File();

    // Opens a plain file of the directory for reading; others may read it meanwhile, but not write it where
    // the system can refuse that. A directory, device or pipe fails as access denied, without being opened.
    static File OpenForReading(const Directory& directory, const std::string& name);
    // Creates the new file `temporary`, beside the file `target` that it is to replace, which must be absent
    // or a plain file that may be written (never a link, directory, device or pipe); a replaced file's
    // permission bits pass to the new one. Messages name `target`.
    static File CreateReplacement(const Directory& directory, const std::string& target,
                                  const std::string& temporary);

    // Reads up to `capacity` bytes; 0 at the end of the file.
    std::size_t Read(char* buffer, std::size_t capacity);
    // Writes all of the bytes.
    void Write(const char* data, std::size_t size);
    void Close();

  private:
    File(std::intptr_t handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    [[noreturn]] void Fail(ErrorCode error) const;

    std::intptr_t handle_ = -1;
    std::string path_;
};

// Puts the closed file `temporary` in the place of `target` in one step: a reader of `target` sees the old
// file or the new one whole. Raises ConversionError with the log's message for `target`.
void MoveIntoPlace(const Directory& directory, const std::string& temporary, const std::string& target);
// Removes the file, as far as the system lets it; for a temporary that is no longer wanted.
void RemoveFile(const Directory& directory, const std::string& name) noexcept;
// A file outgrowing the size limit fails its write (with the error a full disk gives) instead of ending the
// program.
void ContinuePastFileSizeLimit();

// How many files the process may have open at once.
int OpenFileLimit();
// Whether anything (a file, a directory, ...) is at `path`.
bool FileExists(const std::string& path);
// Creates the directory at `path` unless one is there already. Raises ConversionError with the log's message.
void MakeDirectory(const std::string& path);

// The names of the directory's entries of every kind ("." and ".." left out), in the system's order.
struct DirectoryListing {
    std::vector<std::string> names;
    ErrorCode error = 0;  // why the directory could not be read; 0 when it was
};
DirectoryListing ListDirectory(const Directory& directory);

// The log message for a failed operation on `path`: "File not found", "File access denied", ...
std::string FileErrorMessage(ErrorCode error, const std::string& path);

// The user's decimal separator.
char LocalDecimalChar();

}  // namespace tarnix::platform
