// Holds the price text of every one of the 2^32 single bit patterns against the exact reference, with the
// decimals of a record (4) or those given. A manual run of a few tens of minutes:
//   tarnix-format-exhaustive [DECIMALS [THREADS]]   (default: 4, one thread per core)

#include <atomic>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/bars/quote_format.h"
#include "reference/exact_numbers.h"
#include "tarnix/conversion.h"

namespace {

constexpr std::uint64_t kPatterns = std::uint64_t{1} << 32;
constexpr std::uint64_t kChunk = std::uint64_t{1} << 20;
constexpr int kShownMismatches = 20;

struct Progress {
    std::atomic<std::uint64_t> nextChunk{0};
    std::atomic<std::uint64_t> checked{0};
    std::atomic<std::uint64_t> mismatches{0};
    std::mutex outputMutex;
};

void CheckChunks(Progress& progress, int decimals) {
    for (std::uint64_t chunk = progress.nextChunk++; chunk * kChunk < kPatterns;
         chunk = progress.nextChunk++) {
        for (std::uint64_t bits = chunk * kChunk; bits < (chunk + 1) * kChunk; ++bits) {
            const auto value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
            const std::string expected =
                tarnix::reference::FormatPrice(value, static_cast<std::size_t>(decimals));
            if (tarnix::FormatQuoteNumber(decimals, value).view() == expected) continue;
            if (++progress.mismatches <= kShownMismatches) {
                const std::lock_guard lock(progress.outputMutex);
                std::printf(
                    "mismatch at 0x%08llx: engine %s, reference %s\n", static_cast<unsigned long long>(bits),
                    std::string(tarnix::FormatQuoteNumber(decimals, value).view()).c_str(), expected.c_str());
            }
        }
        const std::uint64_t checked = progress.checked += kChunk;
        if (checked % (kPatterns / 64) == 0) {
            const std::lock_guard lock(progress.outputMutex);
            std::printf("%llu of %llu patterns checked, %llu mismatches\n",
                        static_cast<unsigned long long>(checked), static_cast<unsigned long long>(kPatterns),
                        static_cast<unsigned long long>(progress.mismatches.load()));
            std::fflush(stdout);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int decimals = argc > 1 ? std::atoi(argv[1]) : tarnix::kDefaultPriceDecimals;
    const unsigned threadCount =
        argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : std::thread::hardware_concurrency();
    const auto start = std::chrono::steady_clock::now();
    Progress progress;
    {
        std::vector<std::jthread> threads;
        for (unsigned i = 0; i < std::max(threadCount, 1u); ++i)
            threads.emplace_back([&progress, decimals] { CheckChunks(progress, decimals); });
    }
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    std::printf("all %llu patterns checked with %d decimals in %lld s: %llu mismatches\n",
                static_cast<unsigned long long>(kPatterns), decimals, static_cast<long long>(seconds),
                static_cast<unsigned long long>(progress.mismatches.load()));
    return progress.mismatches == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
