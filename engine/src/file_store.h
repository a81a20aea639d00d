#pragma once

// The files that a run lists, reads and writes: those of the system, or, for tests and fuzzing, files held
// in memory that behave alike.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/byte_streams.h"
#include "platform/platform.h"

namespace tarnix {

// An input file of a run: its bytes, and a close that can fail.
class QuoteInput : public ByteSource {
  public:
    virtual void Close() = 0;
};

// A bar file as it is written: it takes the place of the bar file of its name only when put in place, once
// the whole input has converted; dropped before that, it leaves the earlier bar file as it was.
class NewBarFile : public RecordSink {
  public:
    // After Close: replaces the bar file of its name, or creates it.
    virtual void PutInPlace() = 0;
    // After PutInPlace: lines for the log about what was put where.
    virtual std::vector<std::string> LogNotes() const { return {}; }
};

class MetaStockFolder;

class FileStore {
  public:
    virtual ~FileStore() = default;

    // Every entry of the directory, or the error code when it cannot be read.
    virtual platform::DirectoryListing List(const std::string& directory) = 0;
    // Opens a plain file for reading. Raises ConversionError with the log's message.
    virtual std::unique_ptr<QuoteInput> OpenInput(const std::string& path) = 0;
    // Starts the bar file at `path`. Raises ConversionError with the log's message.
    virtual std::unique_ptr<NewBarFile> CreateBarFile(const std::string& path) = 0;
    // The whole file at `path`, or nothing when there is none. Raises ConversionError when it cannot be read.
    virtual std::optional<std::string> ReadIfPresent(const std::string& path);
    // Creates the directory at `path` unless it exists. Raises ConversionError with the log's message.
    virtual void MakeDirectory(const std::string& path);
    // Starts one security of `interval` minutes in the MetaStock folder `folder` (ending with a separator).
    virtual std::unique_ptr<NewBarFile> CreateSecurity(const std::string& folder, std::int32_t interval,
                                                       bool russianLog);
};

// The system's files, through the platform layer; bar files are written through a buffer to a temporary file
// beside them. Each directory is opened once, the first time the store lists it or a file in it, and its
// files are reached through that handle from then on.
class SystemFileStore final : public FileStore {
  public:
    SystemFileStore();
    ~SystemFileStore() override;
    platform::DirectoryListing List(const std::string& directory) override;
    std::unique_ptr<QuoteInput> OpenInput(const std::string& path) override;
    std::unique_ptr<NewBarFile> CreateBarFile(const std::string& path) override;
    std::optional<std::string> ReadIfPresent(const std::string& path) override;
    void MakeDirectory(const std::string& path) override;

  private:
    const platform::Directory& DirectoryOf(const std::string& directory);
    // The directory of the file at `path`, with the file's own name in `name`.
    const platform::Directory& DirectoryOfFile(const std::string& path, std::string& name);

    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<platform::Directory>> directories_;  // guarded by mutex_
};

// The files as one run sees them: a bar file name goes to the first input that starts it, so that a later
// input of the same name but for case (A.txt and A.TXT) fails instead of replacing the earlier one's bars.
class RunFileStore final : public FileStore {
  public:
    explicit RunFileStore(FileStore& files);
    ~RunFileStore() override;
    RunFileStore(const RunFileStore&) = delete;
    RunFileStore& operator=(const RunFileStore&) = delete;

    platform::DirectoryListing List(const std::string& directory) override { return files_.List(directory); }
    std::unique_ptr<QuoteInput> OpenInput(const std::string& path) override { return files_.OpenInput(path); }
    std::unique_ptr<NewBarFile> CreateBarFile(const std::string& path) override;
    std::optional<std::string> ReadIfPresent(const std::string& path) override {
        return files_.ReadIfPresent(path);
    }
    void MakeDirectory(const std::string& path) override { files_.MakeDirectory(path); }
    // The run's securities all go to the one folder of its options, through one MetaStockFolder.
    std::unique_ptr<NewBarFile> CreateSecurity(const std::string& folder, std::int32_t interval,
                                               bool russianLog) override;

  private:
    FileStore& files_;
    std::mutex mutex_;
    std::set<std::string> claimed_;                     // guarded by mutex_
    std::unique_ptr<MetaStockFolder> metaStockFolder_;  // guarded by mutex_
};

}  // namespace tarnix
