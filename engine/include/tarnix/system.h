#pragma once

// What the headless converter and the windows need of the system besides a conversion: text in the system's
// encoding, the console, the command line and directories. The engine's platform layer implements it.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix::platform {

bool IsExistingDirectory(const std::string& path);

// The directory of the running program, or empty when the system cannot tell.
std::string ProgramDirectory();

// The system's own words for an error, for messages to a person at a console.
std::string SystemErrorText(int error);

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
