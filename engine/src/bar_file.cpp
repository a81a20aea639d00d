#include "bar_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "conversion_error.h"

namespace tarnix {
namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;

// Writes all of [data, data + size); returns 0 or the errno of the failure.
int WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

}  // namespace

BarFile::~BarFile() {
    if (fd_ < 0) return;
    WriteAll(fd_, buffer_.data(), used_);
    ::close(fd_);
}

void BarFile::Create(std::string path) {
    path_ = std::move(path);
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) ThrowFileError(errno, path_);
    buffer_.resize(kBufferSize);
    used_ = 0;
}

void BarFile::AppendPastBuffer(std::string_view text) {
    Flush();
    if (text.size() > buffer_.size()) {
        if (const int err = WriteAll(fd_, text.data(), text.size())) ThrowFileError(err, path_);
        return;
    }
    std::memcpy(buffer_.data() + used_, text.data(), text.size());
    used_ += text.size();
}

void BarFile::Flush() {
    const std::size_t pending = std::exchange(used_, 0);
    if (const int err = WriteAll(fd_, buffer_.data(), pending)) ThrowFileError(err, path_);
}

void BarFile::Close() {
    if (fd_ < 0) return;
    Flush();
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR) ThrowFileError(errno, path_);
}

}  // namespace tarnix
