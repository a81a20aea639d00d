#include <windows.h>
// windows.h first: shellapi.h builds on it.
#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "core/conversion_error.h"
#include "platform/platform.h"

namespace tarnix::platform {
namespace {

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t HandleValue(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

const std::intptr_t kNoHandle = HandleValue(INVALID_HANDLE_VALUE);

}  // namespace

std::wstring Utf16(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string Utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    std::string utf8(static_cast<std::size_t>(
                         WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), static_cast<int>(utf8.size()), nullptr,
                        nullptr);
    return utf8;
}

namespace {

// The text of the system call that fills a buffer of `capacity` characters and returns the length it needs.
template <typename Call>
std::wstring WideText(Call call) {
    std::wstring text(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = call(text.data(), static_cast<DWORD>(text.size()));
        if (length < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(std::max<std::size_t>(length, text.size() * 2));
    }
}

// A path as the wide system calls take it: "/" becomes "\", and a path too long for the classic limit of 260
// characters is made absolute and given the "\\?\" prefix that lifts the limit.
std::wstring SystemPath(std::string_view path) {
    std::wstring wide = Utf16(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    constexpr std::size_t kRoomForAName = 12;
    if (wide.size() + kRoomForAName < MAX_PATH || wide.starts_with(LR"(\\?\)")) return wide;
    const std::wstring full = WideText([&wide](wchar_t* buffer, DWORD capacity) {
        return GetFullPathNameW(wide.c_str(), capacity, buffer, nullptr);
    });
    if (full.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + full.substr(2);
    return LR"(\\?\)" + full;
}

// The path of an open file as the system resolved it, or empty when it cannot tell. Room for the longest
// path at once: wine does not always say how much a longer one needs.
std::wstring FinalPath(HANDLE handle) {
    constexpr DWORD kLongestPath = 32768;
    std::wstring path(kLongestPath, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(handle, path.data(), kLongestPath, FILE_NAME_NORMALIZED);
    path.resize(length < kLongestPath ? length : 0);
    return path;
}

// Whether the open file is the entry `name` of the directory opened at the start, and not a file that a
// link there leads to: wine shows a Unix symbolic link as the file it points at, and only the file's final
// path tells. Where the system cannot tell a final path (wine, for some very long ones), the reparse-point
// check alone holds.
bool IsEntryItself(HANDLE file, const Directory& directory, const std::string& name) {
    const std::wstring final = FinalPath(file);
    if (final.empty()) return true;
    std::wstring expected = FinalPath(Handle(directory.handle()));
    if (expected.empty()) return false;
    if (!expected.ends_with(L'\\')) expected.push_back(L'\\');
    expected += Utf16(name);
    return CompareStringOrdinal(final.c_str(), -1, expected.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Whether the open file is a plain file on a disk, the directory's own entry `name`.
bool IsPlainEntry(HANDLE file, const Directory& directory, const std::string& name) {
    BY_HANDLE_FILE_INFORMATION info{};
    constexpr DWORD kNotPlain =
        FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;
    return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
           (info.dwFileAttributes & kNotPlain) == 0 && IsEntryItself(file, directory, name);
}

// Why the bar file `name` may not be replaced: it is opened for writing as it stands, a link (a reparse
// point) itself and never followed, so that a file another program holds, a read-only file or anything but
// a plain file of the directory is refused; 0 where it may be replaced or is absent.
DWORD ReplacementError(const Directory& directory, const std::string& name) {
    const std::wstring systemPath = SystemPath(directory.SystemPathOf(name));
    // Windows refuses to replace a read-only file; wine run by root would replace it, so it is asked first.
    const DWORD attributes = GetFileAttributesW(systemPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return ERROR_ACCESS_DENIED;
    const HANDLE existing =
        CreateFileW(systemPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (existing == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    const bool plain = IsPlainEntry(existing, directory, name);
    CloseHandle(existing);
    return plain ? 0 : ERROR_ACCESS_DENIED;
}

UINT originalOutputCodePage = 0;

void RestoreOutputCodePage() {
    SetConsoleOutputCP(originalOutputCodePage);
}

}  // namespace

Directory::Directory(const std::string& path) : path_(path), resolved_(path) {
    const std::wstring systemPath = SystemPath(path.empty() ? "." : path);
    const HANDLE folder =
        CreateFileW(systemPath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        error_ = static_cast<ErrorCode>(GetLastError());
        return;
    }
    handle_ = HandleValue(folder);
    // Every entry is reached by the path the system resolved now, so that a link swapped into the path
    // meanwhile leads nowhere else; wine may not tell it, and the path as given is kept.
    std::wstring final = FinalPath(folder);
    if (final.empty()) return;
    if (!final.ends_with(L'\\')) final.push_back(L'\\');
    resolved_ = Utf8(final);
}

Directory::~Directory() {
    if (handle_ != kNoHandle) CloseHandle(Handle(handle_));
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (handle_ != kNoHandle) CloseHandle(Handle(handle_));
        handle_ = std::exchange(other.handle_, kNoHandle);
        path_ = std::move(other.path_);
    }
    return *this;
}

File::~File() {
    if (handle_ != kNoHandle) CloseHandle(Handle(handle_));
}

void File::Fail(ErrorCode error) const {
    throw ConversionError(FileErrorMessage(error, path_));
}

File File::OpenForReading(const Directory& directory, const std::string& name) {
    if (directory.error() != 0) File(kNoHandle, directory.PathOf(name)).Fail(directory.error());
    File file(HandleValue(CreateFileW(SystemPath(directory.SystemPathOf(name)).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)),
              directory.PathOf(name));
    if (file.handle_ == kNoHandle) file.Fail(static_cast<ErrorCode>(GetLastError()));
    // Only files on a disk hold quotes: a device such as CON, whose name a file may carry, is refused.
    if (GetFileType(Handle(file.handle_)) != FILE_TYPE_DISK) file.Fail(ERROR_ACCESS_DENIED);
    return file;
}

File File::CreateReplacement(const Directory& directory, const std::string& target,
                             const std::string& temporary) {
    File file(kNoHandle, directory.PathOf(target));
    if (directory.error() != 0) file.Fail(directory.error());
    if (const DWORD error = ReplacementError(directory, target)) file.Fail(static_cast<ErrorCode>(error));
    // Made anew where nothing stands, so a link or another run's file at the name is never written through.
    const std::wstring systemPath = SystemPath(directory.SystemPathOf(temporary));
    file.handle_ =
        HandleValue(CreateFileW(systemPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.handle_ == kNoHandle) {
        const DWORD error = GetLastError();
        file.Fail(error == ERROR_FILE_EXISTS ? ERROR_ACCESS_DENIED : static_cast<ErrorCode>(error));
    }
    if (!IsPlainEntry(Handle(file.handle_), directory, temporary)) {
        file = File();
        RemoveFile(directory, temporary);
        File(kNoHandle, directory.PathOf(target)).Fail(ERROR_ACCESS_DENIED);
    }
    return file;
}

std::size_t File::Read(char* buffer, std::size_t capacity) {
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(capacity, MAXDWORD));
    if (!ReadFile(Handle(handle_), buffer, wanted, &got, nullptr))
        Fail(static_cast<ErrorCode>(GetLastError()));
    return got;
}

void File::Write(const char* data, std::size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
        if (!WriteFile(Handle(handle_), data, chunk, &written, nullptr))
            Fail(static_cast<ErrorCode>(GetLastError()));
        data += written;
        size -= written;
    }
}

void File::Close() {
    if (!CloseHandle(Handle(std::exchange(handle_, kNoHandle)))) Fail(static_cast<ErrorCode>(GetLastError()));
}

void MoveIntoPlace(const Directory& directory, const std::string& temporary, const std::string& target) {
    if (!MoveFileExW(SystemPath(directory.SystemPathOf(temporary)).c_str(),
                     SystemPath(directory.SystemPathOf(target)).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        throw ConversionError(
            FileErrorMessage(static_cast<ErrorCode>(GetLastError()), directory.PathOf(target)));
    }
}

void RemoveFile(const Directory& directory, const std::string& name) noexcept {
    DeleteFileW(SystemPath(directory.SystemPathOf(name)).c_str());
}

// Windows has no file-size signal: a write beyond the disk's room fails as it is.
void ContinuePastFileSizeLimit() {}

// Handles have no limit that a conversion comes near.
int OpenFileLimit() {
    return INT_MAX;
}

DirectoryListing ListDirectory(const Directory& directory) {
    DirectoryListing listing;
    if (directory.error() != 0) return {{}, directory.error()};
    std::wstring pattern = SystemPath(directory.SystemPathOf(""));
    if (!pattern.empty() && pattern.back() != L'\\') pattern.push_back(L'\\');
    pattern.push_back(L'*');
    WIN32_FIND_DATAW entry{};
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        // A drive's root holds no "." entry, so an empty one finds nothing at all.
        if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND)
            listing.error = static_cast<int>(error);
        return listing;
    }
    do {
        const std::wstring_view name = entry.cFileName;
        if (name != L"." && name != L"..") listing.names.push_back(Utf8(name));
    } while (FindNextFileW(search, &entry));
    // The search ends with ERROR_NO_MORE_FILES; any other error leaves the listing incomplete.
    if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES)
        listing = {{}, static_cast<int>(error)};
    FindClose(search);
    return listing;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeDirectory(const std::string& path) {
    if (CreateDirectoryW(SystemPath(path).c_str(), nullptr) != 0) return;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && IsExistingDirectory(path)) return;
    throw ConversionError(FileErrorMessage(static_cast<ErrorCode>(error), path));
}

bool IsExistingDirectory(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ProgramDirectory() {
    const std::wstring program = WideText(
        [](wchar_t* buffer, DWORD capacity) { return GetModuleFileNameW(nullptr, buffer, capacity); });
    const std::size_t separator = program.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::string() : Utf8(program.substr(0, separator));
}

std::string FileErrorMessage(ErrorCode error, const std::string&) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return "File not found";
        case ERROR_PATH_NOT_FOUND:
            return "Invalid filename";
        case ERROR_TOO_MANY_OPEN_FILES:
            return "Too many open files";
        case ERROR_ACCESS_DENIED:
            return "File access denied";
        default:
            return "I/O error " + std::to_string(error);
    }
}

std::string SystemErrorText(ErrorCode error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0) return "error " + std::to_string(error);
    std::wstring_view message(text, length);
    while (!message.empty() &&
           (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.')) {
        message.remove_suffix(1);
    }
    std::string utf8 = Utf8(message);
    LocalFree(text);
    return utf8;
}

char LocalDecimalChar() {
    wchar_t separator[4] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4) == 0) return '.';
    // A separator beyond ASCII cannot stand in the 8-bit texts of a quote file.
    return separator[0] > 0 && separator[0] < 0x80 ? static_cast<char>(separator[0]) : '.';
}

std::vector<std::string> CommandLineArguments(int, const char* const*) {
    int count = 0;
    wchar_t** const wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

bool WriteHitBrokenPipe(int error) {
    const DWORD last = GetLastError();
    // Windows says ERROR_NO_DATA for a pipe being closed, wine ERROR_PIPE_NOT_CONNECTED for one closed.
    return error == EPIPE || last == ERROR_NO_DATA || last == ERROR_BROKEN_PIPE ||
           last == ERROR_PIPE_NOT_CONNECTED;
}

bool SetUpConsole() {
    // The Russian log is UTF-8; the console's own code page comes back when the program ends.
    originalOutputCodePage = GetConsoleOutputCP();
    if (originalOutputCodePage != 0 && SetConsoleOutputCP(CP_UTF8)) std::atexit(RestoreOutputCodePage);
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(error, &mode)) return false;
    // The progress line moves the cursor with VT sequences, which older consoles would print as text.
    return SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

std::chrono::steady_clock::time_point CoarseNow() {
    return std::chrono::steady_clock::time_point(std::chrono::milliseconds(GetTickCount64()));
}

}  // namespace tarnix::platform
