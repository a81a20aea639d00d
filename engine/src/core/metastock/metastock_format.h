#pragma once

// The binary layout of the charting program's data folder: numbers in Microsoft Binary Format, the data
// file of one security, and the index records of MASTER, EMASTER and XMASTER. Bytes only, no files: the
// folder's reading and writing build on these.
//
// Offsets follow the real folders we checked (a vendor's end-of-day folder and a free site's intraday one).
// Where public descriptions disagree with them, the folders win: MASTER's word at offset 1 is 101 (`65 00`;
// one description prints 25856, the same bytes read big-endian), MASTER's first header word counts the
// securities without the header record, and a data file's count includes its header record.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix::metastock {

inline constexpr std::size_t kMasterRecordSize = 53;
inline constexpr std::size_t kEmasterRecordSize = 192;
inline constexpr std::size_t kXmasterRecordSize = 150;
// The 16-bit count of a data file's header includes the header record itself.
inline constexpr std::size_t kMaxDataRecords = 65534;
// MASTER and EMASTER describe F1.DAT to F255.DAT; XMASTER the .MWD files from 256 on.
inline constexpr int kMaxMasterFileNumber = 255;
inline constexpr std::size_t kMaxSymbolSize = 14;
inline constexpr std::size_t kMasterNameSize = 16;
// Intraday intervals the charting program accepts, in minutes.
inline constexpr std::int32_t kMinIntradayInterval = 1;
inline constexpr std::int32_t kMaxIntradayInterval = 60;

using Mbf = std::array<std::uint8_t, 4>;

// The MBF single of `value`: the same sign and mantissa, the exponent byte last and two higher. Zero, and
// values too small for MBF, give four zero bytes; a value too large for MBF (beyond about 1.7e38) gives
// nothing.
std::optional<Mbf> ToMbf(float value);
// The value of four MBF bytes; an exponent byte of 0 is zero whatever the other bytes hold.
float FromMbf(const std::uint8_t* bytes);

// A calendar day as the folder stores it: (year - 1900) * 10000 + month * 100 + day.
std::int32_t DateNumber(int year, int month, int day);
// YYYYMMDD of a date number (1240115 gives 20240115).
std::int32_t DateNumberToYmd(std::int32_t dateNumber);

// One record of an intraday security: date number, HHMMSS, prices and volume as the data file holds them.
struct IntradayBar {
    std::int32_t date = 0;
    std::int32_t time = 0;
    float open = 0;
    float high = 0;
    float low = 0;
    float close = 0;
    float volume = 0;
};

// Fields of an intraday record: date, time, open, high, low, close, volume.
inline constexpr int kIntradayFields = 7;
// The field bitset of EMASTER and XMASTER for those fields.
inline constexpr std::uint8_t kIntradayFieldBits = 1 | 128 | 32 | 2 | 4 | 8 | 16;

// The bytes of a whole data file of intraday bars. At most kMaxDataRecords bars. A number beyond MBF's
// range raises ConversionError.
std::string EncodeIntradayFile(const std::vector<IntradayBar>& bars);

// One security of an index, as far as a reader needs it.
struct Security {
    int fileNumber = 0;
    std::string symbol;
    std::string name;
    char period = 'D';
    int interval = 0;  // minutes; 0 for a daily security
    int fields = 0;
    std::int32_t firstDate = 0;  // YYYYMMDD
    std::int32_t lastDate = 0;   // YYYYMMDD

    bool operator==(const Security&) const = default;
};

// The file name of a security's data: F1.DAT ... F255.DAT, then F256.MWD and up.
std::string DataFileName(int fileNumber);

// The records of an index file, its header left out. A file shorter than its header count says, or whose
// records are cut short, fails with a message naming the file.
std::vector<Security> ReadMaster(std::string_view bytes);
std::vector<Security> ReadXmaster(std::string_view bytes);
// Long names from EMASTER, by file number, for the securities MASTER lists with its short ones.
void TakeEmasterNames(std::string_view bytes, std::vector<Security>& securities);

// One data file's bars, each field by the security's field count: 7 fields with a time field for intraday
// securities, date, open, high, low, close, volume and open interest for the others (the time then 0).
std::vector<IntradayBar> ReadDataFile(std::string_view bytes, const Security& security);

// The index records of one intraday security that this program writes.
std::string MasterRecord(const Security& security);
std::string EmasterRecord(const Security& security);

// The index with `record` in place of the security of the same file number, or added at its end; the header
// counts then say how many securities there are and the highest file number. `bytes` empty: a new index.
std::string PutMasterRecord(std::string_view bytes, const std::string& record, std::size_t recordSize);

// The 16-bit little-endian value at `offset`.
inline int Word(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint8_t>(bytes[offset]) | static_cast<std::uint8_t>(bytes[offset + 1]) << 8;
}

}  // namespace tarnix::metastock
