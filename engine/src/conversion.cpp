#include <algorithm>
#include <chrono>
#include <new>
#include <utility>
#include <vector>

#include "core/bars/interval_bars.h"
#include "core/conversion_error.h"
#include "core/layouts/layout_sniffer.h"
#include "core/reading/number_syntax.h"
#include "core/reading/quote_reader.h"
#include "directory_listing.h"
#include "platform/platform.h"
#include "run.h"

namespace tarnix {
namespace {

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

// The bar files of one input, put in place together once the input has converted.
using NewBarFiles = std::vector<NewBarFile*>;

// Starts the slot's bar file for input entry `name`, or its security in `metaStockFolder`, and writes its
// header line.
void OpenBarFile(IntervalSlot& slot, std::string_view name, const ConversionOptions& options,
                 const std::string& metaStockFolder, FileStore& store, NewBarFiles& files) {
    std::unique_ptr<NewBarFile> file =
        metaStockFolder.empty() ? store.CreateBarFile(BarFileName(options.directory(), name, slot.interval))
                                : store.CreateSecurity(metaStockFolder, slot.interval, options.russianLog());
    files.push_back(file.get());
    slot.file = std::move(file);
    slot.file->Write(BarFileHeader(options));
}

// Takes every slot's enabled state for the file and clears its pending bar; false when no slot is enabled.
bool EnableSlots(IntervalSlots& slots, const ConversionOptions& options) {
    bool someEnabled = false;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        IntervalSlot& slot = slots[i];
        slot.barEnd = 0;
        slot.open = 0;
        slot.enabled = options.intervalEnabled(static_cast<int>(i) + 1);
        someEnabled = someEnabled || slot.enabled;
    }
    return someEnabled;
}

// Starts the bar file of every enabled slot.
void OpenBarFiles(IntervalSlots& slots, std::string_view name, const ConversionOptions& options,
                  FileStore& store, NewBarFiles& files) {
    std::string metaStockFolder = options.metaStockFolder();
    if (!metaStockFolder.empty()) metaStockFolder = ResolveDirectory(metaStockFolder, {});
    for (std::size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i].enabled) continue;
        RefuseSharedBarFile(slots, i);
        OpenBarFile(slots[i], name, options, metaStockFolder, store, files);
    }
}

CivilDate Today() {
    const std::chrono::year_month_day today(
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
    return {static_cast<int>(today.year()), static_cast<std::int32_t>(static_cast<unsigned>(today.month())),
            static_cast<std::int32_t>(static_cast<unsigned>(today.day()))};
}

std::optional<QuoteLayout> DecideFileLayout(const SampledSource& source, const SniffContext& context,
                                            bool russian) {
    try {
        return DecideLayout(source.sample(), source.wholeFile(), context);
    } catch (const LineError& error) {
        throw ConversionError(error.message() + LineMention(error.line(), russian));
    }
}

// Reads the input to its end in the design's way, or in the layout its first lines show, which the log then
// tells.
void FoldInput(QuoteInput& input, std::string_view name, const ConversionOptions& options,
               ConversionReport& report, BarFolder& folder) {
    SampledSource source(input, kLayoutSampleSize);
    QuoteReader reader(source);
    const SniffContext context{name, options.dateOrder(), options.decimalMark(), Today()};
    const std::optional<QuoteLayout> layout = DecideFileLayout(source, context, options.russianLog());
    if (!layout) {
        folder.FoldQuoteFile(reader);
        return;
    }
    report.AddLogLine(DescribeLayout(*layout, options.russianLog()));
    folder.FoldLayoutFile(reader, *layout);
}

// The conversion of one entry, unguarded: a failure leaves by exception, and unwinding drops the new bar
// files.
EntryOutcome ConvertEntry(std::string_view name, const ConversionOptions& options, ConversionReport& report,
                          FileStore& store) {
    if (HasBarFileMark(name)) {
        LogInLanguage(options, report, "Skip (-m): ", "Пропущен (-m): ", name);
        return EntryOutcome::kSkipped;
    }
    LogInLanguage(options, report, "Processing: ", "Обрабатываем: ", name);
    IntervalSlots slots;
    SetUpSlots(slots, options);
    if (!EnableSlots(slots, options)) {
        LogInLanguage(options, report, "There is no selected interval", "Не выбран ни один интервал");
        return EntryOutcome::kNoInterval;
    }
    // The input first: one that cannot be opened leaves the bar files of an earlier run as they are.
    const std::unique_ptr<QuoteInput> input = store.OpenInput(options.directory() + std::string(name));
    NewBarFiles files;
    OpenBarFiles(slots, name, options, store, files);
    BarFolder folder(slots, options, report, DecimalMarks::For(options.decimalChar()));
    FoldInput(*input, name, options, report, folder);
    for (IntervalSlot& slot : slots) {
        folder.WriteBar(slot);
        if (slot.enabled) slot.file->Close();
    }
    input->Close();
    // Only a whole conversion replaces the bar files: a failure above leaves every earlier one as it was.
    for (NewBarFile* file : files) file->PutInPlace();
    for (const NewBarFile* file : files) {
        for (const std::string& note : file->LogNotes()) report.AddLogLine(note);
    }
    report.AddLogLine("Ok");
    return EntryOutcome::kConverted;
}

}  // namespace

std::optional<DateOrder> DateOrderNamed(std::string_view name) {
    if (name == "DMY") return DateOrder::kDayMonthYear;
    if (name == "MDY") return DateOrder::kMonthDayYear;
    if (name == "YMD") return DateOrder::kYearMonthDay;
    return std::nullopt;
}

EntryOutcome ConvertFile(std::string_view name, const ConversionOptions& options, ConversionReport& report,
                         FileStore& store) {
    std::string failure;
    try {
        return ConvertEntry(name, options, report, store);
    } catch (const ConversionError& error) {
        failure = error.message();
    } catch (const std::bad_alloc&) {
        failure = "Out of memory";
    } catch (const std::exception& error) {
        failure = error.what();
    }
    report.AddLogLine("Error: " + failure);
    return EntryOutcome::kFailed;
}

std::vector<std::string> ListQuoteEntries(FileStore& store, const std::string& directory,
                                          RunOutcome& outcome) {
    platform::DirectoryListing listing = store.List(directory);
    if (listing.error != 0) outcome.directoryFailure = platform::SystemErrorText(listing.error);
    return QuoteEntries(std::move(listing.names));
}

RunOutcome RunConversion(FileStore& store, const ConversionOptions& options, ConversionReport& report) {
    RunOutcome outcome;
    RunFileStore files(store);
    for (const std::string& name : ListQuoteEntries(files, options.directory(), outcome)) {
        outcome.entries.push_back(ConvertFile(name, options, report, files));
    }
    return outcome;
}

RunOutcome RunConversion(const ConversionOptions& options, ConversionReport& report) {
    SystemFileStore store;
    return RunConversion(store, options, report);
}

bool RunOutcome::AnyFailed() const {
    return std::find(entries.begin(), entries.end(), EntryOutcome::kFailed) != entries.end();
}

}  // namespace tarnix
