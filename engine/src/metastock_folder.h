#pragma once

// The charting program's data folder as a run writes it: every input and interval becomes one intraday
// security, put in whole with the index files once its input has converted.

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/metastock/metastock_format.h"
#include "file_store.h"

namespace tarnix {

// The bars of one ticker of an input, in time order.
struct NewSecurity {
    std::string symbol;
    std::vector<metastock::IntradayBar> bars;
};

class MetaStockFolder {
  public:
    // `folder` ends with a path separator.
    MetaStockFolder(FileStore& files, std::string folder) : files_(files), folder_(std::move(folder)) {}

    // The security of one input and interval: it takes the lines of the bar file the input would have
    // written, and is put into the folder when the bar file would have been put in place.
    std::unique_ptr<NewBarFile> CreateSecurity(std::int32_t interval, bool russianLog);

    // Replaces the data of each security of `interval` minutes by its symbol, or adds it under the lowest
    // free file number, and rewrites MASTER and EMASTER to match; every file is replaced whole, and a
    // failure before the first replacement leaves the folder as it was. Returns a log line a security.
    std::vector<std::string> Put(const std::vector<NewSecurity>& securities, std::int32_t interval,
                                 bool russianLog);

  private:
    static std::string PutNote(const metastock::Security& security, std::size_t bars, bool russianLog);

    FileStore& files_;
    std::string folder_;
    std::mutex mutex_;
    std::set<std::pair<std::string, std::int32_t>> written_;  // guarded by mutex_
};

// A refused interval, before anything is read: the charting program takes intraday intervals of 1 to 60
// minutes only.
void CheckMetaStockInterval(std::int32_t interval);

}  // namespace tarnix
