#pragma once

// Everything of Tarnix that touches the operating system: files, directories, error texts, the locale and
// the console. posix.cpp and win32.cpp implement it; no other source includes a system header. Paths are
// UTF-8 text (on Windows they become UTF-16 at the system call).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnix::platform {

// The system's code of a failed call: errno, or a Win32 error code.
using ErrorCode = int;

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

    // Opens a plain file for reading; others may read it meanwhile, but not write it where the system can
    // refuse that. A directory, device or pipe fails as access denied, without waiting on it.
    static File OpenForReading(const std::string& path);
    // Creates the file for writing, replacing one of that name.
    static File CreateForWriting(const std::string& path);

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

// The names of the directory's entries of every kind ("." and ".." left out), in the system's order.
struct DirectoryListing {
    std::vector<std::string> names;
    ErrorCode error = 0;  // why the directory could not be read; 0 when it was
};
DirectoryListing ListDirectory(const std::string& directory);

bool IsExistingDirectory(const std::string& path);

// The directory of the running program, or empty when the system cannot tell.
std::string ProgramDirectory();

// The log message for a failed operation on `path`: "File not found", "File access denied", ...
std::string FileErrorMessage(ErrorCode error, const std::string& path);

// The system's own words for an error, for messages to a person at a console.
std::string SystemErrorText(ErrorCode error);

// The user's decimal separator.
char LocalDecimalChar();

// The program's arguments after its name, as UTF-8: on Windows read anew from the wide command line, so that
// names outside the ANSI code page (a Cyrillic folder on an English system) come through whole.
std::vector<std::string> CommandLineArguments(int argc, const char* const* argv);

// Whether the write that just failed with `error` (errno) wrote to a pipe whose reader has gone. Windows
// tells that only by its own last error, which this reads: call it right after the failure.
bool WriteHitBrokenPipe(int error);

// Makes the console ready for the log (UTF-8 text, cursor movement) and tells whether standard error is a
// console, where a progress line can be drawn.
bool SetUpConsole();

// A monotonic clock of a few milliseconds' resolution, cheap enough to read for every line of a file.
std::chrono::steady_clock::time_point CoarseNow();

#ifdef _WIN32
// Texts are UTF-8 in the program and UTF-16 at the Windows system calls.
std::wstring Utf16(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);
#endif

}  // namespace tarnix::platform
