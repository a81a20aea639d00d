#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

// A bar file being written: created empty (an old file of the name is replaced) and written through a
// buffer. Failures raise ConversionError with the message of the file error.
class BarFile {
  public:
    BarFile() = default;
    BarFile(const BarFile&) = delete;
    BarFile& operator=(const BarFile&) = delete;
    // A file still open here belongs to a failed conversion: what was written is flushed and errors are
    // ignored, since that file has already failed.
    ~BarFile();

    void Create(std::string path);
    void Append(std::string_view text) {
        if (text.size() > buffer_.size() - used_) return AppendPastBuffer(text);
        std::memcpy(buffer_.data() + used_, text.data(), text.size());
        used_ += text.size();
    }
    // Writes out the buffer and closes; a bar file is complete on disk only once this has succeeded.
    void Close();

  private:
    void AppendPastBuffer(std::string_view text);
    void Flush();

    int fd_ = -1;
    std::string path_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

}  // namespace tarnix
