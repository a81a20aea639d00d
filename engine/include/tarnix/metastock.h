#pragma once

// Reading the charting program's data folder: its securities, and a security's bars as a bar file in the
// ASCII layout. Failures raise std::runtime_error with a message naming the file.

#include <cstdint>
#include <string>
#include <vector>

namespace tarnix {

struct MetaStockSecurity {
    int fileNumber = 0;    // F<n>.DAT up to 255, F<n>.MWD beyond
    std::string dataFile;  // the data file's name
    std::string symbol;
    std::string name;
    char period = 'D';  // 'I' intraday, 'D' daily, 'W', 'M'
    int interval = 0;   // minutes; 0 for a daily security
    int fields = 0;
    std::int32_t firstDate = 0;  // YYYYMMDD, as the index says
    std::int32_t lastDate = 0;
};

// Every security of the folder: MASTER's (with EMASTER's names where it has them), then XMASTER's.
std::vector<MetaStockSecurity> ListMetaStockFolder(const std::string& folder);

// The security's bars as a bar file: the header line and one record a bar, prices with `decimals` decimals.
std::string ReadMetaStockBars(const std::string& folder, const MetaStockSecurity& security, int decimals,
                              bool withVolume);

}  // namespace tarnix
