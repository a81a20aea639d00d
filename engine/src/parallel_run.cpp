#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "directory_listing.h"
#include "platform/platform.h"
#include "run.h"

namespace tarnix {
namespace {

// What the conversion of one entry reported, kept until the caller's report is given it in entry order.
struct EntryProgress {
    std::vector<std::string> log;                  // guarded by the run's mutex
    bool done = false;                             // guarded by the run's mutex
    EntryOutcome result = EntryOutcome::kSkipped;  // guarded by the run's mutex
    std::atomic<std::int64_t> lineNumber{0};
};

// Shared by the workers and the thread that reports.
class ParallelRun {
  public:
    ParallelRun(FileStore& store, const ConversionOptions& options, std::vector<std::string> entries)
        : store_(store), options_(options), entries_(std::move(entries)), outcomes_(entries_.size()) {
        std::map<std::string, std::size_t> groupOfStem;
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const auto [it, added] = groupOfStem.try_emplace(BarFileStem(entries_[i]), groups_.size());
            if (added) groups_.emplace_back();
            groups_[it->second].push_back(i);
        }
    }

    std::size_t groupCount() const { return groups_.size(); }

    // Takes groups until none is left. A group is converted in entry order by one worker, so that of two
    // entries writing the same bar files the earlier one keeps them, as in a sequential run.
    void Work() {
        for (std::size_t group = nextGroup_++; group < groups_.size(); group = nextGroup_++) {
            for (const std::size_t entry : groups_[group]) Convert(entry);
        }
    }

    // Hands the outcomes to `report` in entry order, as they come in, and adds each entry's to `outcome`.
    void Report(ConversionReport& report, RunOutcome& outcome) {
        for (std::size_t entry = 0; entry < outcomes_.size(); ++entry) {
            outcome.entries.push_back(ReportEntry(entry, report));
        }
    }

    void AddLogLine(std::size_t entry, std::string_view line) {
        {
            const std::lock_guard lock(mutex_);
            outcomes_[entry].log.emplace_back(line);
        }
        changed_.notify_one();
    }

    void ShowLineCounter(std::size_t entry, std::int64_t lineNumber) {
        outcomes_[entry].lineNumber.store(lineNumber, std::memory_order_relaxed);
    }

  private:
    void Convert(std::size_t entry);

    EntryOutcome ReportEntry(std::size_t entry, ConversionReport& report) {
        EntryProgress& outcome = outcomes_[entry];
        std::size_t reported = 0;
        std::int64_t shownNumber = 0;
        std::unique_lock lock(mutex_);
        for (;;) {
            while (reported < outcome.log.size()) {
                const std::string line = std::move(outcome.log[reported++]);
                lock.unlock();
                report.AddLogLine(line);
                lock.lock();
            }
            if (outcome.done) break;
            changed_.wait_for(lock, std::chrono::milliseconds(100));
            ShowLatestCounter(outcome, shownNumber, report, lock);
        }
        ShowLatestCounter(outcome, shownNumber, report, lock);
        outcome.log = {};
        return outcome.result;
    }

    void ShowLatestCounter(const EntryProgress& outcome, std::int64_t& shownNumber, ConversionReport& report,
                           std::unique_lock<std::mutex>& lock) {
        const std::int64_t number = outcome.lineNumber.load(std::memory_order_relaxed);
        if (number == shownNumber) return;
        shownNumber = number;
        lock.unlock();
        report.ShowLineCounter(number);
        lock.lock();
    }

    FileStore& store_;
    const ConversionOptions& options_;
    std::vector<std::string> entries_;
    std::vector<EntryProgress> outcomes_;
    std::vector<std::vector<std::size_t>> groups_;
    std::atomic<std::size_t> nextGroup_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
};

// The report of one entry inside a worker: it keeps what the entry reports for the reporting thread.
class EntryReport final : public ConversionReport {
  public:
    EntryReport(ParallelRun& run, std::size_t entry) : run_(run), entry_(entry) {}

    void AddLogLine(std::string_view line) override { run_.AddLogLine(entry_, line); }
    void ShowLineCounter(std::int64_t lineNumber) override { run_.ShowLineCounter(entry_, lineNumber); }
    void YieldToWindow() override {}

  private:
    ParallelRun& run_;
    std::size_t entry_;
};

void ParallelRun::Convert(std::size_t entry) {
    EntryReport report(*this, entry);
    const EntryOutcome result = ConvertFile(entries_[entry], options_, report, store_);
    {
        const std::lock_guard lock(mutex_);
        outcomes_[entry].result = result;
        outcomes_[entry].done = true;
    }
    changed_.notify_one();
}

// The files a conversion in progress holds open at most: its input and a temporary for each bar file.
constexpr int kFilesPerConversion = 1 + kSlotCount;
// Standard streams, the directory being listed, and what the libraries keep.
constexpr int kFilesOutsideConversions = 8;

// As many workers as asked, but no more than the open-file limit lets run at once: a run with -j never fails
// a file that a one-at-a-time run converts.
int WorkersWithinFileLimit(int workers) {
    const int limit = platform::OpenFileLimit();
    return std::clamp((limit - kFilesOutsideConversions) / kFilesPerConversion, 1, workers);
}

}  // namespace

RunOutcome RunConversionInParallel(FileStore& store, const ConversionOptions& options,
                                   ConversionReport& report, int workers) {
    workers = WorkersWithinFileLimit(workers);
    // Securities take the folder's free file numbers in the order they are put in, which the log names: one
    // file at a time keeps both those of a sequential run.
    if (workers <= 1 || !options.metaStockFolder().empty()) return RunConversion(store, options, report);
    RunOutcome outcome;
    RunFileStore files(store);
    ParallelRun run(files, options, ListQuoteEntries(files, options.directory(), outcome));
    const std::size_t threadCount = std::min(static_cast<std::size_t>(workers), run.groupCount());
    std::vector<std::jthread> threads;
    for (std::size_t i = 0; i < threadCount; ++i) threads.emplace_back([&run] { run.Work(); });
    run.Report(report, outcome);
    return outcome;
}

RunOutcome RunConversionInParallel(const ConversionOptions& options, ConversionReport& report, int workers) {
    SystemFileStore store;
    return RunConversionInParallel(store, options, report, workers);
}

}  // namespace tarnix
