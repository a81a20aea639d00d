#include "metastock_folder.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string_view>

#include "core/conversion_error.h"
#include "core/metastock/metastock_reading.h"
#include "tarnix/conversion.h"
#include "tarnix/metastock.h"

namespace tarnix {
namespace {

namespace ms = metastock;

std::string Grouped(std::size_t count, char separator) {
    std::string digits = std::to_string(count);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, separator);
    return digits;
}

std::string IntervalText(std::int32_t interval, bool russianLog) {
    return std::to_string(interval) + (russianLog ? " мин" : " min");
}

// The fields of a bar file line; a record has at most nine, its header names them.
constexpr std::size_t kMaxFields = 9;
struct LineFields {
    std::array<std::string_view, kMaxFields> fields;
    std::size_t count = 0;
};

LineFields SplitFields(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    LineFields split;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] != ',') continue;
        if (split.count == kMaxFields) throw ConversionError("MetaStock: a bar does not match its header");
        split.fields[split.count++] = line.substr(start, i - start);
        start = i + 1;
    }
    return split;
}

// The index pads a symbol with blanks or NULs and keeps single bytes of the program's code page: a symbol
// with a control character, a byte beyond ASCII or a blank at its end would read back as another one.
bool IsKeptSymbol(std::string_view symbol) {
    return !symbol.empty() && symbol.size() <= ms::kMaxSymbolSize && symbol.back() != ' ' &&
           std::all_of(symbol.begin(), symbol.end(), [](char c) { return c >= ' ' && c < '\x7F'; });
}

// What a column of the bar file holds, by its header name.
enum class Column { kTicker, kDate, kTime, kOpen, kHigh, kLow, kClose, kVolume, kOther };

Column ColumnOf(std::string_view name) {
    static constexpr std::array<std::string_view, 8> kNames = {
        "<TICKER>", "<DTYYYYMMDD>", "<TIME>", "<OPEN>", "<HIGH>", "<LOW>", "<CLOSE>", "<VOL>"};
    const auto found = std::find(kNames.begin(), kNames.end(), name);
    return static_cast<Column>(found - kNames.begin());
}

template <typename Number>
Number ReadField(std::string_view text, std::string_view what) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) ThrowNotValid(text, what);
    return value;
}

// A price of a record: the text the bar file holds, as the nearest single. The digits are gathered as an
// integer and divided by a power of ten in double precision, exact for the prices a bar file holds (at
// most 8 decimals and 15 digits); anything longer takes the library's reading.
float ReadPrice(std::string_view text) {
    static constexpr std::array<double, 16> kPowers = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = text.starts_with('-');
    std::uint64_t digits = 0;
    std::size_t count = 0;
    std::size_t decimals = 0;
    bool point = false;
    for (const char c : text.substr(negative ? 1 : 0)) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits = digits * 10 + static_cast<unsigned>(c - '0');
            ++count;
            decimals += point ? 1 : 0;
        } else {
            return ReadField<float>(text, "price");
        }
    }
    if (count == 0 || count >= kPowers.size()) return ReadField<float>(text, "price");
    const double value = static_cast<double>(digits) / kPowers[decimals];
    return static_cast<float>(negative ? -value : value);
}

// A bar's date as the folder counts it, from 1900 (date number 0) on; the years up to 2099 are all a
// trader's data needs, and all that the charting program is known to show.
std::int32_t ReadDate(std::string_view text) {
    const auto ymd = ReadField<std::int32_t>(text, "date");
    if (ymd < 19000101 || ymd > 20991231)
        throw ConversionError("MetaStock: the date " + std::string(text) +
                              " is outside the years 1900 to 2099");
    return ymd - 19000000;
}

// The bars of one security, read back from the records of the bar file that the input would have written:
// the folder then holds exactly what the ASCII output says, at single precision.
class SecurityFile final : public NewBarFile {
  public:
    SecurityFile(MetaStockFolder& folder, std::int32_t interval, bool russianLog)
        : folder_(folder), interval_(interval), russianLog_(russianLog) {}

    void Write(std::string_view line) override {
        const LineFields split = SplitFields(line);
        if (columns_.empty()) {
            for (std::size_t i = 0; i < split.count; ++i) columns_.push_back(ColumnOf(split.fields[i]));
            return;
        }
        if (split.count != columns_.size())
            throw ConversionError("MetaStock: a bar does not match its header");
        Take(split);
    }

    void Close() override {}

    void PutInPlace() override {
        if (securities_.empty()) {
            notes_.push_back(
                "MetaStock: " + IntervalText(interval_, russianLog_) +
                (russianLog_ ? ", баров нет, ничего не записано" : ", no bars, nothing written"));
            return;
        }
        notes_ = folder_.Put(securities_, interval_, russianLog_);
    }

    std::vector<std::string> LogNotes() const override { return notes_; }

  private:
    void Take(const LineFields& split) {
        ms::IntradayBar bar;
        std::string_view date;
        NewSecurity* security = nullptr;
        for (std::size_t i = 0; i < split.count; ++i) {
            const std::string_view text = split.fields[i];
            switch (columns_[i]) {
                case Column::kTicker:
                    security = &SecurityOf(text);
                    break;
                case Column::kDate:
                    date = text;
                    bar.date = ReadDate(text);
                    break;
                case Column::kTime:
                    bar.time = ReadField<std::int32_t>(text, "time");
                    break;
                case Column::kOpen:
                    bar.open = ReadPrice(text);
                    break;
                case Column::kHigh:
                    bar.high = ReadPrice(text);
                    break;
                case Column::kLow:
                    bar.low = ReadPrice(text);
                    break;
                case Column::kClose:
                    bar.close = ReadPrice(text);
                    break;
                case Column::kVolume:
                    bar.volume = static_cast<float>(ReadField<std::int64_t>(text, "volume"));
                    break;
                case Column::kOther:
                    break;
            }
        }
        if (security == nullptr) throw ConversionError("MetaStock: a bar without a ticker");
        std::vector<ms::IntradayBar>& bars = security->bars;
        // The charting program reads a security's bars in time order only.
        if (!bars.empty() &&
            (bars.back().date > bar.date || (bars.back().date == bar.date && bars.back().time >= bar.time))) {
            throw ConversionError("MetaStock: the bar of " + security->symbol + " " + std::string(date) +
                                  " " + std::to_string(bar.time) + " comes after a later bar");
        }
        if (bars.size() == ms::kMaxDataRecords)
            throw ConversionError("MetaStock: more than 65,534 bars for " + security->symbol);
        bars.push_back(bar);
    }

    // The security of the ticker, started at its first bar; a file's bars mostly run ticker by ticker.
    NewSecurity& SecurityOf(std::string_view ticker) {
        if (current_ < securities_.size() && securities_[current_].symbol == ticker)
            return securities_[current_];
        const auto found =
            std::find_if(securities_.begin(), securities_.end(),
                         [ticker](const NewSecurity& security) { return security.symbol == ticker; });
        current_ = static_cast<std::size_t>(found - securities_.begin());
        if (found != securities_.end()) return *found;
        if (!IsKeptSymbol(ticker))
            throw ConversionError(
                "MetaStock: the symbol '" + std::string(ticker) +
                "' cannot be kept in the folder (1 to 14 printable ASCII characters, no blank "
                "at its end)");
        securities_.push_back({std::string(ticker), {}});
        return securities_.back();
    }

    MetaStockFolder& folder_;
    std::int32_t interval_;
    bool russianLog_;
    std::vector<Column> columns_;          // from the header line
    std::vector<NewSecurity> securities_;  // in the order of their first bars
    std::size_t current_ = 0;              // the security of the latest bar
    std::vector<std::string> notes_;
};

// A new file of the folder, written whole and held back until put in place.
std::unique_ptr<NewBarFile> Staged(FileStore& files, const std::string& path, const std::string& bytes) {
    std::unique_ptr<NewBarFile> file = files.CreateBarFile(path);
    file->Write(bytes);
    file->Close();
    return file;
}

int FreeFileNumber(const std::vector<ms::Security>& securities) {
    for (int number = 1; number <= ms::kMaxMasterFileNumber; ++number) {
        if (std::none_of(securities.begin(), securities.end(),
                         [number](const ms::Security& security) { return security.fileNumber == number; }))
            return number;
    }
    throw ConversionError(
        "MetaStock: MASTER holds 255 securities already; no more are written to this folder");
}

}  // namespace

void CheckMetaStockInterval(std::int32_t interval) {
    if (interval < ms::kMinIntradayInterval || interval > ms::kMaxIntradayInterval)
        throw ConversionError("MetaStock: an intraday interval is 1 to 60 minutes, not " +
                              std::to_string(interval));
}

std::unique_ptr<NewBarFile> MetaStockFolder::CreateSecurity(std::int32_t interval, bool russianLog) {
    CheckMetaStockInterval(interval);
    return std::make_unique<SecurityFile>(*this, interval, russianLog);
}

std::string MetaStockFolder::PutNote(const ms::Security& security, std::size_t bars, bool russianLog) {
    return "MetaStock: " + ms::DataFileName(security.fileNumber) + " " + security.symbol + " " +
           IntervalText(security.interval, russianLog) +
           (russianLog ? ", баров: " + Grouped(bars, ' ') : ", " + Grouped(bars, ',') + " bars");
}

std::vector<std::string> MetaStockFolder::Put(const std::vector<NewSecurity>& securities,
                                              std::int32_t interval, bool russianLog) {
    const std::lock_guard lock(mutex_);
    for (const NewSecurity& security : securities) {
        if (written_.contains({security.symbol, interval}))
            throw ConversionError("MetaStock: " + security.symbol + " " + IntervalText(interval, false) +
                                  " was written by an earlier file of this run");
    }
    files_.MakeDirectory(folder_);
    const std::optional<std::string> master = files_.ReadIfPresent(folder_ + "MASTER");
    const std::optional<std::string> emaster = files_.ReadIfPresent(folder_ + "EMASTER");
    std::string newMaster = master.value_or("");
    std::string newEmaster = emaster.value_or("");
    std::vector<std::unique_ptr<NewBarFile>> staged;
    std::vector<std::string> notes;
    for (const NewSecurity& added : securities) {
        const std::vector<ms::Security> listed =
            newMaster.empty() ? std::vector<ms::Security>{} : ms::ReadMaster(newMaster);
        const auto same = std::find_if(listed.begin(), listed.end(), [&](const ms::Security& security) {
            return security.symbol == added.symbol && security.period == 'I' && security.interval == interval;
        });
        // A security replaced keeps the name a user may have given it in the charting program.
        const bool replaced = same != listed.end();
        const ms::Security security{replaced ? same->fileNumber : FreeFileNumber(listed),
                                    added.symbol,
                                    replaced ? same->name : added.symbol,
                                    'I',
                                    interval,
                                    ms::kIntradayFields,
                                    ms::DateNumberToYmd(added.bars.front().date),
                                    ms::DateNumberToYmd(added.bars.back().date)};
        staged.push_back(Staged(files_, folder_ + ms::DataFileName(security.fileNumber),
                                ms::EncodeIntradayFile(added.bars)));
        newMaster = ms::PutMasterRecord(newMaster, ms::MasterRecord(security), ms::kMasterRecordSize);
        newEmaster = ms::PutMasterRecord(newEmaster, ms::EmasterRecord(security), ms::kEmasterRecordSize);
        notes.push_back(PutNote(security, added.bars.size(), russianLog));
    }
    staged.push_back(Staged(files_, folder_ + "MASTER", newMaster));
    // A folder kept with MASTER alone stays so: an EMASTER of only the securities written here would hide
    // the others from readers that trust it.
    if (emaster || !master) staged.push_back(Staged(files_, folder_ + "EMASTER", newEmaster));
    for (const std::unique_ptr<NewBarFile>& file : staged) file->PutInPlace();
    for (const NewSecurity& security : securities) written_.insert({security.symbol, interval});
    return notes;
}

}  // namespace tarnix

namespace tarnix {
namespace {

std::string FolderPath(const std::string& folder) {
    return ResolveDirectory(folder, {});
}

std::string ReadWhole(SystemFileStore& files, const std::string& path) {
    std::optional<std::string> bytes = files.ReadIfPresent(path);
    if (!bytes) throw ConversionError("File not found: " + path);
    return std::move(*bytes);
}

MetaStockSecurity Described(const metastock::Security& security) {
    return {security.fileNumber, metastock::DataFileName(security.fileNumber),
            security.symbol,     security.name,
            security.period,     security.interval,
            security.fields,     security.firstDate,
            security.lastDate};
}

metastock::Security Undescribed(const MetaStockSecurity& security) {
    return {security.fileNumber, security.symbol, security.name,      security.period,
            security.interval,   security.fields, security.firstDate, security.lastDate};
}

}  // namespace

std::vector<MetaStockSecurity> ListMetaStockFolder(const std::string& folder) {
    const std::string path = FolderPath(folder);
    SystemFileStore files;
    std::vector<metastock::Security> securities;
    if (const std::optional<std::string> master = files.ReadIfPresent(path + "MASTER")) {
        securities = metastock::ReadMaster(*master);
        if (const std::optional<std::string> emaster = files.ReadIfPresent(path + "EMASTER"))
            metastock::TakeEmasterNames(*emaster, securities);
    }
    if (const std::optional<std::string> xmaster = files.ReadIfPresent(path + "XMASTER")) {
        const std::vector<metastock::Security> more = metastock::ReadXmaster(*xmaster);
        securities.insert(securities.end(), more.begin(), more.end());
    }
    std::vector<MetaStockSecurity> listed;
    listed.reserve(securities.size());
    for (const metastock::Security& security : securities) listed.push_back(Described(security));
    return listed;
}

std::string ReadMetaStockBars(const std::string& folder, const MetaStockSecurity& security, int decimals,
                              bool withVolume) {
    SystemFileStore files;
    const metastock::Security described = Undescribed(security);
    const std::string bytes = ReadWhole(files, FolderPath(folder) + security.dataFile);
    return metastock::BarsAsText(described, metastock::ReadDataFile(bytes, described), decimals, withVolume);
}

}  // namespace tarnix
