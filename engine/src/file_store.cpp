#include "file_store.h"

#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

namespace tarnix {
namespace {

// Large blocks mean few system calls for the many short records; pages of the buffer are only touched as
// records fill them, so a small bar file costs little memory.
constexpr std::size_t kBarFileBufferSize = std::size_t{256} * 1024;

class InputFile final : public QuoteInput {
  public:
    explicit InputFile(platform::File file) : file_(std::move(file)) {}

    std::size_t Read(char* buffer, std::size_t capacity) override { return file_.Read(buffer, capacity); }
    void Close() override { file_.Close(); }

  private:
    platform::File file_;
};

// Records are short: they are gathered in a buffer and written in large blocks.
class BarFile final : public RecordSink {
  public:
    explicit BarFile(platform::File file)
        : file_(std::move(file)), buffer_(std::make_unique_for_overwrite<char[]>(kBarFileBufferSize)) {}
    BarFile(const BarFile&) = delete;
    BarFile& operator=(const BarFile&) = delete;
    // A file still open here belongs to a failed conversion, whose failure is logged already: what was
    // written is flushed, and a further error is of no use to anyone.
    ~BarFile() override {
        try {
            Flush();
        } catch (const std::exception&) {
        }
    }

    void Write(std::string_view line) override {
        if (line.size() > kBarFileBufferSize - used_) {
            Flush();
            if (line.size() > kBarFileBufferSize) return file_.Write(line.data(), line.size());
        }
        std::memcpy(buffer_.get() + used_, line.data(), line.size());
        used_ += line.size();
    }

    void Close() override {
        Flush();
        file_.Close();
    }

  private:
    void Flush() {
        if (used_ > 0) file_.Write(buffer_.get(), std::exchange(used_, 0));
    }

    platform::File file_;
    std::unique_ptr<char[]> buffer_;  // only the first used_ bytes are ever read
    std::size_t used_ = 0;
};

}  // namespace

platform::DirectoryListing SystemFileStore::List(const std::string& directory) {
    return platform::ListDirectory(directory);
}

std::unique_ptr<QuoteInput> SystemFileStore::OpenInput(const std::string& path) {
    return std::make_unique<InputFile>(platform::File::OpenForReading(path));
}

std::unique_ptr<RecordSink> SystemFileStore::CreateBarFile(const std::string& path) {
    return std::make_unique<BarFile>(platform::File::CreateForWriting(path));
}

}  // namespace tarnix
