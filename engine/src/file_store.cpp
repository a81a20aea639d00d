#include "file_store.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string_view>
#include <utility>

#include "core/conversion_error.h"
#include "metastock_folder.h"
#include "tarnix/conversion.h"

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

// A name beside the bar file that no other run or bar file takes, and that no listing takes for an input, as
// it does not end in ".txt".
std::string TemporaryName(const std::string& target) {
    static const std::string kRun = std::to_string(std::random_device{}());
    static std::atomic<std::uint64_t> count{0};
    return target + ".tarnix-" + kRun + "-" + std::to_string(count++);
}

// Records are short: they are gathered in a buffer and written in large blocks, to a temporary file.
class BarFile final : public NewBarFile {
  public:
    BarFile(const platform::Directory& directory, const std::string& target)
        : directory_(directory),
          target_(target),
          temporary_(TemporaryName(target)),
          file_(platform::File::CreateReplacement(directory_, target_, temporary_)),
          buffer_(std::make_unique_for_overwrite<char[]>(kBarFileBufferSize)) {}
    BarFile(const BarFile&) = delete;
    BarFile& operator=(const BarFile&) = delete;
    // A file not put in place belongs to a failed conversion, whose failure is logged already: it is dropped.
    ~BarFile() override {
        if (placed_) return;
        file_ = platform::File();
        platform::RemoveFile(directory_, temporary_);
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

    void PutInPlace() override {
        platform::MoveIntoPlace(directory_, temporary_, target_);
        placed_ = true;
    }

  private:
    void Flush() {
        if (used_ > 0) file_.Write(buffer_.get(), std::exchange(used_, 0));
    }

    const platform::Directory& directory_;
    std::string target_;
    std::string temporary_;
    platform::File file_;
    std::unique_ptr<char[]> buffer_;  // only the first used_ bytes are ever read
    std::size_t used_ = 0;
    bool placed_ = false;
};

}  // namespace

SystemFileStore::SystemFileStore() {
    platform::ContinuePastFileSizeLimit();
}

SystemFileStore::~SystemFileStore() = default;

const platform::Directory& SystemFileStore::DirectoryOf(const std::string& directory) {
    const std::lock_guard lock(mutex_);
    auto& opened = directories_[directory];
    if (!opened) opened = std::make_unique<platform::Directory>(directory);
    return *opened;
}

const platform::Directory& SystemFileStore::DirectoryOfFile(const std::string& path, std::string& name) {
    const std::size_t separator = path.find_last_of(std::string{'/', kPathSeparator});
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    name = path.substr(nameStart);
    return DirectoryOf(path.substr(0, nameStart));
}

platform::DirectoryListing SystemFileStore::List(const std::string& directory) {
    return platform::ListDirectory(DirectoryOf(directory));
}

std::unique_ptr<QuoteInput> SystemFileStore::OpenInput(const std::string& path) {
    std::string name;
    const platform::Directory& directory = DirectoryOfFile(path, name);
    return std::make_unique<InputFile>(platform::File::OpenForReading(directory, name));
}

std::unique_ptr<NewBarFile> SystemFileStore::CreateBarFile(const std::string& path) {
    std::string name;
    const platform::Directory& directory = DirectoryOfFile(path, name);
    return std::make_unique<BarFile>(directory, name);
}

std::optional<std::string> FileStore::ReadIfPresent(const std::string&) {
    return std::nullopt;
}

void FileStore::MakeDirectory(const std::string&) {}

std::unique_ptr<NewBarFile> FileStore::CreateSecurity(const std::string&, std::int32_t, bool) {
    throw ConversionError("File access denied");
}

std::optional<std::string> SystemFileStore::ReadIfPresent(const std::string& path) {
    if (!platform::FileExists(path)) return std::nullopt;
    std::string name;
    platform::File file = platform::File::OpenForReading(DirectoryOfFile(path, name), name);
    std::string bytes;
    constexpr std::size_t kBlock = std::size_t{64} * 1024;
    for (;;) {
        const std::size_t used = bytes.size();
        bytes.resize(used + kBlock);
        const std::size_t got = file.Read(bytes.data() + used, kBlock);
        bytes.resize(used + got);
        if (got == 0) break;
    }
    file.Close();
    return bytes;
}

void SystemFileStore::MakeDirectory(const std::string& path) {
    platform::MakeDirectory(path);
}

RunFileStore::RunFileStore(FileStore& files) : files_(files) {}

RunFileStore::~RunFileStore() = default;

std::unique_ptr<NewBarFile> RunFileStore::CreateSecurity(const std::string& folder, std::int32_t interval,
                                                         bool russianLog) {
    MetaStockFolder* target = nullptr;
    {
        const std::lock_guard lock(mutex_);
        if (!metaStockFolder_) metaStockFolder_ = std::make_unique<MetaStockFolder>(files_, folder);
        target = metaStockFolder_.get();
    }
    return target->CreateSecurity(interval, russianLog);
}

std::unique_ptr<NewBarFile> RunFileStore::CreateBarFile(const std::string& path) {
    {
        const std::lock_guard lock(mutex_);
        if (!claimed_.insert(path).second) throw ConversionError("File access denied");
    }
    return files_.CreateBarFile(path);
}

}  // namespace tarnix
