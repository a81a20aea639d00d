#include "tarnix/conversion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <utility>
#include <vector>

#include "conversion_error.h"
#include "directory_listing.h"
#include "interval_bars.h"
#include "number_syntax.h"
#include "quote_reader.h"

namespace tarnix {
namespace {

constexpr std::array<std::int32_t, kSlotCount - 1> kFixedIntervals = {5, 10, 15, 60};

// Only plain files hold quotes: a directory, device or pipe is refused as it is opened.
int PlainFileError(const struct stat& info) {
    return S_ISREG(info.st_mode) ? 0 : EACCES;
}

// The input of one conversion, open for reading.
class InputFile {
  public:
    explicit InputFile(std::string path) : path_(std::move(path)) {
        // Opened without blocking, so that a FIFO named *.txt cannot hold the run.
        fd_ = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) ThrowFileError(errno, path_);
        struct stat info {};
        const int failure = ::fstat(fd_, &info) != 0 ? errno : PlainFileError(info);
        if (failure != 0) {
            ::close(std::exchange(fd_, -1));
            ThrowFileError(failure, path_);
        }
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() {
        if (fd_ >= 0) ::close(fd_);
    }

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }

    void Close() {
        if (::close(std::exchange(fd_, -1)) != 0 && errno != EINTR) ThrowFileError(errno, path_);
    }

  private:
    std::string path_;
    int fd_ = -1;
};

void LogInLanguage(const ConversionOptions& options, ConversionReport& report, std::string_view english,
                   std::string_view russian, std::string_view name = {}) {
    std::string line(options.russianLog() ? russian : english);
    line.append(name);
    report.AddLogLine(line);
}

void SetUpSlots(IntervalSlots& slots, const ConversionOptions& options) {
    for (std::size_t i = 0; i < kFixedIntervals.size(); ++i) slots[i].interval = kFixedIntervals[i];
    slots.back().interval = TryParseInteger(options.customIntervalText()).value_or(0);
}

// A custom interval equal to a fixed one would write one bar file through two slots at once and interleave
// their records; the second slot is refused, as a file already held open for writing is.
void RefuseSharedBarFile(const IntervalSlots& slots, std::size_t index) {
    for (std::size_t i = 0; i < index; ++i) {
        if (slots[i].enabled && slots[i].interval == slots[index].interval)
            throw ConversionError("File access denied");
    }
}

// Creates the bar file of every enabled slot; false when no slot is enabled.
bool OpenBarFiles(IntervalSlots& slots, std::string_view name, const ConversionOptions& options) {
    bool someEnabled = false;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        IntervalSlot& slot = slots[i];
        slot.barEnd = 0;
        slot.open = 0;
        slot.enabled = options.intervalEnabled(static_cast<int>(i) + 1);
        if (!slot.enabled) continue;
        RefuseSharedBarFile(slots, i);
        OpenBarFile(slot, name, options);
        someEnabled = true;
    }
    return someEnabled;
}

// The conversion of one entry, unguarded: a failure leaves by exception, and unwinding closes the files.
void ConvertEntry(std::string_view name, const ConversionOptions& options, ConversionReport& report) {
    if (HasBarFileMark(name)) {
        LogInLanguage(options, report, "Skip (-m): ", "Пропущен (-m): ", name);
        return;
    }
    LogInLanguage(options, report, "Processing: ", "Обрабатываем: ", name);
    IntervalSlots slots;
    SetUpSlots(slots, options);
    if (!OpenBarFiles(slots, name, options)) {
        LogInLanguage(options, report, "There is no selected interval", "Не выбран ни один интервал");
        return;
    }
    InputFile input(options.directory() + std::string(name));
    QuoteReader reader(input.fd(), input.path());
    BarFolder folder(slots, options, report);
    folder.FoldQuoteFile(reader);
    for (IntervalSlot& slot : slots) {
        folder.WriteBar(slot);
        if (slot.enabled) slot.file.Close();
    }
    input.Close();
    report.AddLogLine("Ok");
}

}  // namespace

void ConvertFile(std::string_view name, const ConversionOptions& options, ConversionReport& report) {
    std::string failure;
    try {
        ConvertEntry(name, options, report);
        return;
    } catch (const ConversionError& error) {
        failure = error.message();
    } catch (const std::bad_alloc&) {
        failure = "Out of memory";
    } catch (const std::exception& error) {
        failure = error.what();
    }
    report.AddLogLine("Error: " + failure);
}

void RunConversion(const ConversionOptions& options, ConversionReport& report) {
    for (const std::string& name : ListQuoteEntries(options.directory())) ConvertFile(name, options, report);
}

}  // namespace tarnix
