#pragma once

// Temporary directories and a recording report for tests that run conversions.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/conversion_error.h"
#include "tarnix/conversion.h"

namespace tarnix::test {

// A fresh directory in the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::random_device seed;
        for (int attempt = 0; attempt < 100; ++attempt) {
            root_ = std::filesystem::temp_directory_path() / ("tarnix-test-" + std::to_string(seed()));
            if (std::filesystem::create_directory(root_)) return;
        }
        throw std::runtime_error("cannot create a temporary directory");
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // The directory as a run takes it: with a trailing separator.
    std::string path() const { return root_.string() + kPathSeparator; }
    std::string PathOf(const std::string& name) const { return (root_ / name).string(); }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(root_ / name, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(root_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(root_ / name); }

  private:
    std::filesystem::path root_;
};

// Keeps every log line, the last counter text and the number of yields.
struct RecordingReport : ConversionReport {
    std::vector<std::string> log;
    std::string counter;
    int yields = 0;

    void AddLogLine(std::string_view line) override { log.emplace_back(line); }
    void ShowLineCounter(std::int64_t lineNumber) override { counter = LineCounterText(lineNumber); }
    void YieldToWindow() override { ++yields; }

    std::string LogText() const {
        std::ostringstream text;
        for (const std::string& line : log) text << line << '\n';
        return text.str();
    }
};

// Runs `action` and expects it to fail with exactly `message`.
template <typename Action>
void ExpectConversionError(Action action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no failure raised; expected: " << message;
    } catch (const ConversionError& error) {
        EXPECT_EQ(error.what(), message);
    }
}

}  // namespace tarnix::test
