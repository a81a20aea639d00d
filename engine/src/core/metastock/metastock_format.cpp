#include "core/metastock/metastock_format.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "core/conversion_error.h"

namespace tarnix::metastock {
namespace {

// MBF's exponent is IEEE's plus two: both take the mantissa as 1.m, but MBF's bias is 128 and puts the
// binary point before the implied 1.
constexpr int kExponentShift = 2;

void PutWord(std::string& bytes, std::size_t offset, int value) {
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutBytes(std::string& bytes, std::size_t offset, const Mbf& number) {
    std::memcpy(bytes.data() + offset, number.data(), number.size());
}

void PutText(std::string& bytes, std::size_t offset, std::string_view text, std::size_t size, char pad) {
    const std::size_t used = std::min(text.size(), size);
    std::memcpy(bytes.data() + offset, text.data(), used);
    std::fill_n(bytes.data() + offset + used, size - used, pad);
}

std::int32_t Integer32(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<std::uint8_t>(bytes[offset + i]);
    return static_cast<std::int32_t>(value);
}

float MbfAt(std::string_view bytes, std::size_t offset) {
    return FromMbf(reinterpret_cast<const std::uint8_t*>(bytes.data() + offset));
}

std::int32_t WholeNumber(float value) {
    return static_cast<std::int32_t>(std::lround(value));
}

// A text field: up to its first NUL, blanks at its end dropped.
std::string TextAt(std::string_view bytes, std::size_t offset, std::size_t size) {
    std::string_view text = bytes.substr(offset, size);
    text = text.substr(0, text.find('\0'));
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

Mbf MbfOrZero(float value) {
    return ToMbf(value).value_or(Mbf{});
}

// The records of an index after its header: as many as the header counts, each checked to be whole.
std::vector<std::string_view> IndexRecords(std::string_view bytes, std::size_t recordSize, std::size_t count,
                                           std::string_view file) {
    if (bytes.size() < recordSize * (count + 1))
        throw ConversionError(std::string(file) + " is shorter than its header says");
    std::vector<std::string_view> records;
    for (std::size_t i = 1; i <= count; ++i) records.push_back(bytes.substr(i * recordSize, recordSize));
    return records;
}

}  // namespace

std::optional<Mbf> ToMbf(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const auto exponent = static_cast<int>((bits >> 23) & 0xFF);
    if (exponent == 0) return Mbf{};  // zero, or too small for MBF's normal numbers
    if (exponent + kExponentShift > 0xFF) return std::nullopt;
    return Mbf{static_cast<std::uint8_t>(bits & 0xFF), static_cast<std::uint8_t>((bits >> 8) & 0xFF),
               static_cast<std::uint8_t>(((bits >> 24) & 0x80) | ((bits >> 16) & 0x7F)),
               static_cast<std::uint8_t>(exponent + kExponentShift)};
}

float FromMbf(const std::uint8_t* bytes) {
    const int exponent = bytes[3];
    if (exponent == 0) return 0;
    const std::uint32_t mantissa = bytes[0] | static_cast<std::uint32_t>(bytes[1]) << 8 |
                                   static_cast<std::uint32_t>(bytes[2] & 0x7F) << 16;
    const bool negative = (bytes[2] & 0x80) != 0;
    // The two smallest MBF exponents have no IEEE normal twin.
    if (exponent <= kExponentShift) {
        const float magnitude = std::ldexp(static_cast<float>(mantissa | 0x800000), exponent - 152);
        return negative ? -magnitude : magnitude;
    }
    const std::uint32_t bits = (negative ? 0x80000000U : 0U) |
                               static_cast<std::uint32_t>(exponent - kExponentShift) << 23 | mantissa;
    return std::bit_cast<float>(bits);
}

std::int32_t DateNumber(int year, int month, int day) {
    return (year - 1900) * 10000 + month * 100 + day;
}

std::int32_t DateNumberToYmd(std::int32_t dateNumber) {
    return dateNumber + 19000000;
}

std::string EncodeIntradayFile(const std::vector<IntradayBar>& bars) {
    constexpr std::size_t kRecordSize = std::size_t{kIntradayFields} * 4;
    std::string bytes((bars.size() + 1) * kRecordSize, '\0');
    PutWord(bytes, 2, static_cast<int>(bars.size() + 1));
    std::size_t at = kRecordSize;
    for (const IntradayBar& bar : bars) {
        for (const float field : {static_cast<float>(bar.date), static_cast<float>(bar.time), bar.open,
                                  bar.high, bar.low, bar.close, bar.volume}) {
            const std::optional<Mbf> number = ToMbf(field);
            // MBF reaches about 1.7e38, half as far as a single: a larger number is refused, never cut.
            if (!number)
                throw ConversionError("MetaStock: the number " + std::to_string(field) + " is too large");
            PutBytes(bytes, at, *number);
            at += 4;
        }
    }
    return bytes;
}

std::string DataFileName(int fileNumber) {
    return "F" + std::to_string(fileNumber) + (fileNumber <= kMaxMasterFileNumber ? ".DAT" : ".MWD");
}

std::vector<Security> ReadMaster(std::string_view bytes) {
    if (bytes.size() < kMasterRecordSize) throw ConversionError("MASTER is shorter than its header");
    std::vector<Security> securities;
    for (const std::string_view record :
         IndexRecords(bytes, kMasterRecordSize, static_cast<std::size_t>(Word(bytes, 0)), "MASTER")) {
        Security security;
        security.fileNumber = static_cast<std::uint8_t>(record[0]);
        security.fields = static_cast<std::uint8_t>(record[4]);
        security.name = TextAt(record, 7, kMasterNameSize);
        security.firstDate = DateNumberToYmd(WholeNumber(MbfAt(record, 25)));
        security.lastDate = DateNumberToYmd(WholeNumber(MbfAt(record, 29)));
        security.period = record[33];
        security.interval = Word(record, 34);
        security.symbol = TextAt(record, 36, kMaxSymbolSize);
        securities.push_back(std::move(security));
    }
    return securities;
}

std::vector<Security> ReadXmaster(std::string_view bytes) {
    if (bytes.size() < kXmasterRecordSize || !bytes.starts_with("\x5D\xFE"
                                                                "XM"))
        throw ConversionError("XMASTER does not start as an XMASTER file");
    std::vector<Security> securities;
    for (const std::string_view record :
         IndexRecords(bytes, kXmasterRecordSize, static_cast<std::size_t>(Word(bytes, 10)), "XMASTER")) {
        Security security;
        security.symbol = TextAt(record, 1, kMaxSymbolSize);
        security.name = TextAt(record, 16, 45);
        security.period = record[62];
        security.interval = Word(record, 63);
        security.fileNumber = Word(record, 65);
        security.fields = std::popcount(static_cast<std::uint8_t>(record[70]));
        security.firstDate = Integer32(record, 108);
        security.lastDate = Integer32(record, 116);
        securities.push_back(std::move(security));
    }
    return securities;
}

void TakeEmasterNames(std::string_view bytes, std::vector<Security>& securities) {
    if (bytes.size() < kEmasterRecordSize) return;
    for (const std::string_view record :
         IndexRecords(bytes, kEmasterRecordSize, static_cast<std::size_t>(Word(bytes, 0)), "EMASTER")) {
        const int fileNumber = static_cast<std::uint8_t>(record[2]);
        const std::string name = TextAt(record, 32, kMasterNameSize);
        for (Security& security : securities) {
            if (security.fileNumber == fileNumber && !name.empty()) security.name = name;
        }
    }
}

std::vector<IntradayBar> ReadDataFile(std::string_view bytes, const Security& security) {
    const auto recordSize = static_cast<std::size_t>(security.fields) * 4;
    if (recordSize < 20 || bytes.size() < recordSize)
        throw ConversionError(DataFileName(security.fileNumber) + " is shorter than its header");
    const auto count = static_cast<std::size_t>(std::max(Word(bytes, 2) - 1, 0));
    if (bytes.size() < recordSize * (count + 1))
        throw ConversionError(DataFileName(security.fileNumber) + " is shorter than its header says");
    const bool timed = security.period == 'I';
    std::vector<IntradayBar> bars;
    bars.reserve(count);
    for (std::size_t i = 1; i <= count; ++i) {
        const std::size_t at = i * recordSize;
        const std::size_t prices = at + (timed ? 8 : 4);
        IntradayBar bar;
        bar.date = WholeNumber(MbfAt(bytes, at));
        bar.time = timed ? WholeNumber(MbfAt(bytes, at + 4)) : 0;
        bar.open = MbfAt(bytes, prices);
        bar.high = MbfAt(bytes, prices + 4);
        bar.low = MbfAt(bytes, prices + 8);
        bar.close = MbfAt(bytes, prices + 12);
        bar.volume = prices + 16 + 4 <= at + recordSize ? MbfAt(bytes, prices + 16) : 0;
        bars.push_back(bar);
    }
    return bars;
}

std::string MasterRecord(const Security& security) {
    std::string record(kMasterRecordSize, '\0');
    record[0] = static_cast<char>(security.fileNumber);
    PutWord(record, 1, 101);
    record[3] = static_cast<char>(security.fields * 4);
    record[4] = static_cast<char>(security.fields);
    PutText(record, 7, security.name, kMasterNameSize, ' ');
    PutBytes(record, 25, MbfOrZero(static_cast<float>(security.firstDate - 19000000)));
    PutBytes(record, 29, MbfOrZero(static_cast<float>(security.lastDate - 19000000)));
    record[33] = security.period;
    PutWord(record, 34, security.interval);
    PutText(record, 36, security.symbol, kMaxSymbolSize, ' ');
    record[50] = ' ';
    record[51] = ' ';
    return record;
}

std::string EmasterRecord(const Security& security) {
    std::string record(kEmasterRecordSize, '\0');
    record[0] = '6';
    record[1] = '6';
    record[2] = static_cast<char>(security.fileNumber);
    record[6] = static_cast<char>(security.fields);
    record[7] = static_cast<char>(kIntradayFieldBits);
    record[9] = ' ';
    PutText(record, 11, security.symbol, kMaxSymbolSize, '\0');
    PutText(record, 32, security.name, kMasterNameSize, '\0');
    record[60] = security.period;
    PutWord(record, 62, security.interval);
    // EMASTER keeps its dates as IEEE singles of the same date number, and the first date once more as an
    // integer YYYYMMDD.
    const auto ieee = [&record](std::size_t offset, std::int32_t ymd) {
        const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(ymd - 19000000));
        for (std::size_t i = 0; i < 4; ++i) record[offset + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    };
    ieee(64, security.firstDate);
    ieee(72, security.lastDate);
    for (std::size_t i = 0; i < 4; ++i)
        record[126 + i] =
            static_cast<char>((static_cast<std::uint32_t>(security.firstDate) >> (8 * i)) & 0xFF);
    PutText(record, 139, security.name, kMasterNameSize, '\0');
    return record;
}

std::string PutMasterRecord(std::string_view bytes, const std::string& record, std::size_t recordSize) {
    std::string index = bytes.empty() ? std::string(recordSize, '\0') : std::string(bytes);
    const auto count = static_cast<std::size_t>(Word(index, 0));
    // The file number sits at offset 0 in MASTER and 2 in EMASTER.
    const std::size_t numberAt = recordSize == kMasterRecordSize ? 0 : 2;
    const int own = static_cast<std::uint8_t>(record[numberAt]);
    std::size_t slot = count + 1;
    int highest = own;
    for (std::size_t i = 1; i <= count; ++i) {
        const int number = static_cast<std::uint8_t>(index[i * recordSize + numberAt]);
        if (number == own && slot > count) slot = i;
        highest = std::max(highest, number);
    }
    // Bytes past the counted records (a padded EMASTER) are taken over by a new record.
    index.resize(std::max(index.size(), (slot + 1) * recordSize), '\0');
    index.replace(slot * recordSize, recordSize, record);
    PutWord(index, 0, static_cast<int>(std::max(count, slot)));
    PutWord(index, 2, highest);
    return index;
}

}  // namespace tarnix::metastock
