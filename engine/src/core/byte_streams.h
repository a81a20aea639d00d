#pragma once

// The two ends of the conversion core: the bytes of a quote file come in through a ByteSource, and the lines
// of a bar file go out through a RecordSink. The run backs them with files; tests and fuzzing with memory.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tarnix {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to `capacity` bytes into `buffer`; 0 at the end. Raises ConversionError on a read failure.
    virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
};

// The bytes of a quote file held in memory; the view must outlive the source. Each read hands out at most
// `readSize` bytes, as a pipe or a slow disk may, so that tests can put the reader's refills anywhere.
class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::string_view bytes, std::size_t readSize = SIZE_MAX)
        : rest_(bytes), readSize_(std::max<std::size_t>(readSize, 1)) {}

    std::size_t Read(char* buffer, std::size_t capacity) override {
        const std::size_t count = std::min({capacity, readSize_, rest_.size()});
        std::memcpy(buffer, rest_.data(), count);
        rest_.remove_prefix(count);
        return count;
    }

  private:
    std::string_view rest_;
    std::size_t readSize_;
};

// The first bytes of a source, read at once and kept for a look at the file before it is read, then handed
// out again ahead of the rest. Memory stays at the sample's size, whatever the size of the file.
class SampledSource final : public ByteSource {
  public:
    SampledSource(ByteSource& source, std::size_t sampleSize) : source_(source) {
        // The room doubles as the file fills it, so that a small file costs no more than its size.
        constexpr std::size_t kFirstBlock = std::size_t{4} * 1024;
        std::size_t filled = 0;
        while (filled < sampleSize) {
            if (filled == sample_.size())
                sample_.resize(std::min(sampleSize, std::max(kFirstBlock, 2 * filled)));
            const std::size_t got = source_.Read(sample_.data() + filled, sample_.size() - filled);
            if (got == 0) {
                wholeFile_ = true;
                break;
            }
            filled += got;
        }
        sample_.resize(filled);
    }

    std::string_view sample() const { return sample_; }
    // Whether the sample holds the whole file.
    bool wholeFile() const { return wholeFile_; }

    std::size_t Read(char* buffer, std::size_t capacity) override {
        if (replayed_ == sample_.size()) return wholeFile_ ? 0 : source_.Read(buffer, capacity);
        const std::size_t count = std::min(capacity, sample_.size() - replayed_);
        std::memcpy(buffer, sample_.data() + replayed_, count);
        replayed_ += count;
        return count;
    }

  private:
    ByteSource& source_;
    std::string sample_;
    std::size_t replayed_ = 0;
    bool wholeFile_ = false;
};

// Where the lines of one bar file go: its header line, then a record line for every finished bar.
class RecordSink {
  public:
    virtual ~RecordSink() = default;
    // Appends a whole line, its CR LF included. Raises ConversionError on a write failure.
    virtual void Write(std::string_view line) = 0;
    // Writes out whatever is still held back; the bar file is complete once this has succeeded.
    virtual void Close() = 0;
};

}  // namespace tarnix
