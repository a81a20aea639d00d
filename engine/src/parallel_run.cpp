#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "directory_listing.h"
#include "interval_bars.h"
#include "tarnix/conversion.h"

namespace tarnix {
namespace {

// What the conversion of one entry reported, kept until the caller's report is given it in entry order.
struct EntryOutcome {
    std::vector<std::string> log;  // guarded by the run's mutex
    bool done = false;             // guarded by the run's mutex
    std::atomic<std::int64_t> lineNumber{0};
};

// Shared by the workers and the thread that reports.
class ParallelRun {
  public:
    ParallelRun(const ConversionOptions& options, std::vector<std::string> entries)
        : options_(options), entries_(std::move(entries)), outcomes_(entries_.size()) {
        std::map<std::string, std::size_t> groupOfStem;
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const auto [it, added] = groupOfStem.try_emplace(BarFileStem(entries_[i]), groups_.size());
            if (added) groups_.emplace_back();
            groups_[it->second].push_back(i);
        }
    }

    std::size_t groupCount() const { return groups_.size(); }

    // Takes groups until none is left. A group is converted in entry order by one worker, so that of two
    // entries writing the same bar files the later one wins, as in a sequential run.
    void Work() {
        for (std::size_t group = nextGroup_++; group < groups_.size(); group = nextGroup_++) {
            for (const std::size_t entry : groups_[group]) Convert(entry);
        }
    }

    // Hands the outcomes to `report` in entry order, as they come in.
    void Report(ConversionReport& report) {
        for (std::size_t entry = 0; entry < outcomes_.size(); ++entry) ReportEntry(entry, report);
    }

    void AddLogLine(std::size_t entry, std::string_view line) {
        {
            const std::lock_guard lock(mutex_);
            outcomes_[entry].log.emplace_back(line);
        }
        changed_.notify_one();
    }

    void ShowLineCounter(std::size_t entry, std::string_view text) {
        std::int64_t number = 0;
        text.remove_prefix(std::min(text.size(), kLineCounterPrefix.size()));
        std::from_chars(text.data(), text.data() + text.size(), number);
        outcomes_[entry].lineNumber.store(number, std::memory_order_relaxed);
    }

  private:
    void Convert(std::size_t entry);

    void ReportEntry(std::size_t entry, ConversionReport& report) {
        EntryOutcome& outcome = outcomes_[entry];
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
    }

    void ShowLatestCounter(const EntryOutcome& outcome, std::int64_t& shownNumber, ConversionReport& report,
                           std::unique_lock<std::mutex>& lock) {
        const std::int64_t number = outcome.lineNumber.load(std::memory_order_relaxed);
        if (number == shownNumber) return;
        shownNumber = number;
        lock.unlock();
        report.ShowLineCounter(counter_.Text(number));
        lock.lock();
    }

    const ConversionOptions& options_;
    std::vector<std::string> entries_;
    std::vector<EntryOutcome> outcomes_;
    std::vector<std::vector<std::size_t>> groups_;
    std::atomic<std::size_t> nextGroup_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    LineCounter counter_;  // used by the reporting thread only
};

// The report of one entry inside a worker: it keeps what the entry reports for the reporting thread.
class EntryReport final : public ConversionReport {
  public:
    EntryReport(ParallelRun& run, std::size_t entry) : run_(run), entry_(entry) {}

    void AddLogLine(std::string_view line) override { run_.AddLogLine(entry_, line); }
    void ShowLineCounter(std::string_view text) override { run_.ShowLineCounter(entry_, text); }
    void YieldToWindow() override {}

  private:
    ParallelRun& run_;
    std::size_t entry_;
};

void ParallelRun::Convert(std::size_t entry) {
    EntryReport report(*this, entry);
    ConvertFile(entries_[entry], options_, report);
    {
        const std::lock_guard lock(mutex_);
        outcomes_[entry].done = true;
    }
    changed_.notify_one();
}

}  // namespace

void RunConversionInParallel(const ConversionOptions& options, ConversionReport& report, int workers) {
    if (workers <= 1) {
        RunConversion(options, report);
        return;
    }
    ParallelRun run(options, ListQuoteEntries(options.directory()));
    const std::size_t threadCount = std::min(static_cast<std::size_t>(workers), run.groupCount());
    std::vector<std::jthread> threads;
    for (std::size_t i = 0; i < threadCount; ++i) threads.emplace_back([&run] { run.Work(); });
    run.Report(report);
}

}  // namespace tarnix
