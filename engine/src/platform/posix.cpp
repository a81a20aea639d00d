#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>
#include <utility>

#include "core/conversion_error.h"
#include "platform/platform.h"

namespace tarnix::platform {
namespace {

int Descriptor(std::intptr_t handle) {
    return static_cast<int>(handle);
}

// A missing file and a missing directory on its way give the same errno; the messages tell them apart.
bool ParentDirectoryExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return true;
    return IsExistingDirectory(slash == 0 ? "/" : path.substr(0, slash));
}

// Only plain files hold quotes: a directory, device or pipe is refused as it is opened.
ErrorCode PlainFileError(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return errno;
    return S_ISREG(info.st_mode) ? 0 : EACCES;
}

}  // namespace

Directory::Directory(const std::string& path)
    : handle_(::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), path_(path) {
    if (handle_ < 0) error_ = errno;
}

Directory::~Directory() {
    if (handle_ >= 0) ::close(Descriptor(handle_));
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (handle_ >= 0) ::close(Descriptor(handle_));
        handle_ = std::exchange(other.handle_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

File::~File() {
    if (handle_ >= 0) ::close(Descriptor(handle_));
}

void File::Fail(ErrorCode error) const {
    throw ConversionError(FileErrorMessage(error, path_));
}

File File::OpenForReading(const Directory& directory, const std::string& name) {
    const int folder = Descriptor(directory.handle());
    File file(-1, directory.PathOf(name));
    if (directory.error() != 0) file.Fail(directory.error());
    // A FIFO or a device (also behind a link) is refused before it is opened: opening one may release a
    // writer waiting on it or act on the device.
    struct stat info {};
    if (::fstatat(folder, name.c_str(), &info, 0) == 0 && !S_ISREG(info.st_mode)) file.Fail(EACCES);
    // Opened without blocking, so that a FIFO put in its place since cannot hold the run.
    file.handle_ = ::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (file.handle_ < 0) file.Fail(errno);
    if (const ErrorCode error = PlainFileError(Descriptor(file.handle_))) file.Fail(error);
    return file;
}

File File::CreateReplacement(const Directory& directory, const std::string& target,
                             const std::string& temporary) {
    const int folder = Descriptor(directory.handle());
    File file(-1, directory.PathOf(target));
    if (directory.error() != 0) file.Fail(directory.error());
    // The bar file of an earlier run is opened as writing it would need, without following a link or waiting
    // on a FIFO, and left unchanged: only a plain file that may be written is replaced.
    const int existing = ::openat(folder, target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (existing < 0 && errno != ENOENT) file.Fail(errno);
    struct stat info {};
    if (existing >= 0) {
        const ErrorCode error = PlainFileError(existing);
        ::fstat(existing, &info);
        ::close(existing);
        if (error != 0) file.Fail(error);
    }
    // Made anew, so a link or another run's file at the name is never written through.
    file.handle_ =
        ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (file.handle_ < 0) file.Fail(errno == EEXIST ? EACCES : errno);
    if (existing >= 0 && ::fchmod(Descriptor(file.handle_), info.st_mode & 0777) != 0) {
        const ErrorCode error = errno;
        RemoveFile(directory, temporary);
        file.Fail(error);
    }
    return file;
}

std::size_t File::Read(char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t got = ::read(Descriptor(handle_), buffer, capacity);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) Fail(errno);
    }
}

void File::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(Descriptor(handle_), data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void File::Close() {
    if (::close(Descriptor(std::exchange(handle_, -1))) != 0 && errno != EINTR) Fail(errno);
}

void MoveIntoPlace(const Directory& directory, const std::string& temporary, const std::string& target) {
    const int folder = Descriptor(directory.handle());
    if (::renameat(folder, temporary.c_str(), folder, target.c_str()) != 0)
        throw ConversionError(FileErrorMessage(errno, directory.PathOf(target)));
}

void RemoveFile(const Directory& directory, const std::string& name) noexcept {
    ::unlinkat(Descriptor(directory.handle()), name.c_str(), 0);
}

void ContinuePastFileSizeLimit() {
    ::signal(SIGXFSZ, SIG_IGN);
}

int OpenFileLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return INT_MAX;
    return static_cast<int>(std::min<rlim_t>(limit.rlim_cur, INT_MAX));
}

DirectoryListing ListDirectory(const Directory& directory) {
    DirectoryListing listing;
    if (directory.error() != 0) return {{}, directory.error()};
    // A copy of the handle, which the listing closes; the entries are read from the start.
    const int copy = ::fcntl(Descriptor(directory.handle()), F_DUPFD_CLOEXEC, 0);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(copy < 0 ? nullptr : ::fdopendir(copy), ::closedir);
    if (!dir) {
        listing.error = errno;
        if (copy >= 0) ::close(copy);
        return listing;
    }
    ::rewinddir(dir.get());
    // readdir gives no entry both at the end and on an error; only errno tells them apart.
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) break;
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") listing.names.emplace_back(name);
    }
    if (errno != 0) listing = {{}, errno};
    return listing;
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

void MakeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && IsExistingDirectory(path))) return;
    throw ConversionError(FileErrorMessage(errno, path));
}

bool IsExistingDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ProgramDirectory() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : executable.parent_path().string();
}

std::string FileErrorMessage(ErrorCode error, const std::string& path) {
    switch (error) {
        case ENOENT:
            return ParentDirectoryExists(path) ? "File not found" : "Invalid filename";
        case ENOTDIR:
            return "Invalid filename";
        case EMFILE:
        case ENFILE:
            return "Too many open files";
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
        case ELOOP:  // a link where none is followed
        case ENXIO:  // a FIFO without a reader, or a device that is not there
            return "File access denied";
        default:
            return "I/O error " + std::to_string(error);
    }
}

std::string SystemErrorText(ErrorCode error) {
    return std::strerror(error);
}

char LocalDecimalChar() {
    const char* point = std::localeconv()->decimal_point;
    return point != nullptr && point[0] != '\0' ? point[0] : '.';
}

std::vector<std::string> CommandLineArguments(int argc, const char* const* argv) {
    // An exec with an empty argv leaves argc at 0.
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

bool WriteHitBrokenPipe(int error) {
    return error == EPIPE;
}

bool SetUpConsole() {
    return ::isatty(STDERR_FILENO) != 0;
}

std::chrono::steady_clock::time_point CoarseNow() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::chrono::steady_clock::time_point(std::chrono::seconds(now.tv_sec) +
                                                 std::chrono::nanoseconds(now.tv_nsec));
}

}  // namespace tarnix::platform
