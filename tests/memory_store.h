#pragma once

// Files held in memory that behave for a run as the system's do, so that tests and fuzz targets convert
// without touching the disk. Safe to use from the workers of a parallel run.

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "core/conversion_error.h"
#include "file_store.h"
#include "tarnix/conversion.h"

namespace tarnix::test {

class MemoryStore final : public FileStore {
  public:
    // `directory` is the one directory the store holds, with its trailing separator.
    explicit MemoryStore(std::string directory) : directory_(std::move(directory)) {}

    void AddFile(const std::string& name, std::string bytes) { files_[directory_ + name] = std::move(bytes); }
    // An entry that is a directory: listed like a file, refused when opened.
    void AddSubdirectory(const std::string& name) { subdirectories_.insert(directory_ + name); }
    void MakeReadOnly(const std::string& name) { readOnly_.insert(directory_ + name); }

    const std::string& directory() const { return directory_; }
    // The files by name; the bar files a run wrote among them.
    std::map<std::string, std::string> Files() const {
        const std::lock_guard lock(mutex_);
        std::map<std::string, std::string> byName;
        for (const auto& [path, bytes] : files_) byName[path.substr(directory_.size())] = bytes;
        return byName;
    }
    std::string Read(const std::string& name) const {
        const std::lock_guard lock(mutex_);
        const auto found = files_.find(directory_ + name);
        return found == files_.end() ? std::string() : found->second;
    }
    // Inputs and bar files handed out and not yet released.
    int openCount() const { return openCount_; }
    // Whether any path outside the store's directory was asked for.
    bool leftDirectory() const { return leftDirectory_; }

    platform::DirectoryListing List(const std::string& directory) override {
        if (directory != directory_) return {{}, 2};
        const std::lock_guard lock(mutex_);
        platform::DirectoryListing listing;
        for (const auto& [path, bytes] : files_) listing.names.push_back(path.substr(directory_.size()));
        for (const std::string& path : subdirectories_)
            listing.names.push_back(path.substr(directory_.size()));
        return listing;
    }

    std::unique_ptr<QuoteInput> OpenInput(const std::string& path) override {
        const std::lock_guard lock(mutex_);
        CheckInside(path);
        if (subdirectories_.contains(path)) throw ConversionError("File access denied");
        const auto found = files_.find(path);
        if (found == files_.end()) throw ConversionError("File not found");
        return std::make_unique<Input>(*this, found->second);
    }

    std::unique_ptr<NewBarFile> CreateBarFile(const std::string& path) override {
        const std::lock_guard lock(mutex_);
        CheckInside(path);
        if (subdirectories_.contains(path) || readOnly_.contains(path))
            throw ConversionError("File access denied");
        return std::make_unique<Sink>(*this, path);
    }

  private:
    class Input final : public QuoteInput {
      public:
        Input(MemoryStore& store, std::string bytes)
            : store_(store), bytes_(std::move(bytes)), source_(bytes_) {
            ++store_.openCount_;
        }
        ~Input() override { --store_.openCount_; }
        std::size_t Read(char* buffer, std::size_t capacity) override {
            return source_.Read(buffer, capacity);
        }
        void Close() override {}

      private:
        MemoryStore& store_;
        std::string bytes_;
        MemorySource source_;
    };

    // A bar file gathered apart and put into the store's map whole.
    class Sink final : public NewBarFile {
      public:
        Sink(MemoryStore& store, std::string path) : store_(store), path_(std::move(path)) {
            ++store_.openCount_;
        }
        ~Sink() override { --store_.openCount_; }
        void Write(std::string_view line) override { bytes_.append(line); }
        void Close() override {}
        void PutInPlace() override {
            const std::lock_guard lock(store_.mutex_);
            store_.files_[path_] = std::move(bytes_);
        }

      private:
        MemoryStore& store_;
        std::string path_;
        std::string bytes_;
    };

    void CheckInside(const std::string& path) {
        const std::string_view name = std::string_view(path).substr(std::min(path.size(), directory_.size()));
        if (!path.starts_with(directory_) || name.find(kPathSeparator) != std::string_view::npos) {
            leftDirectory_ = true;
        }
    }

    std::string directory_;
    std::map<std::string, std::string> files_;
    std::set<std::string> subdirectories_;
    std::set<std::string> readOnly_;
    std::atomic<int> openCount_{0};
    std::atomic<bool> leftDirectory_{false};
    mutable std::mutex mutex_;
};

}  // namespace tarnix::test
