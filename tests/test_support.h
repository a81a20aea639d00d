#pragma once

// Temporary directories, fixed options and a recording report for tests that run conversions.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "conversion_error.h"
#include "tarnix/conversion.h"

namespace tarnix::test {

// A fresh directory under /tmp, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarnix-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // The directory as a run takes it: with a trailing "/".
    std::string path() const { return root_.string() + "/"; }
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

// Options with fixed values, as a script would give them.
struct FixedOptions : ConversionOptions {
    std::string dir;
    std::array<bool, kSlotCount> enabled{};
    std::string custom = "240";
    bool perField = false;
    bool ms7Period = false;
    bool periodToSymbol = false;
    bool volume = false;
    bool russian = false;

    std::string directory() const override { return dir; }
    bool intervalEnabled(int slot) const override { return enabled.at(static_cast<std::size_t>(slot - 1)); }
    std::string customIntervalText() const override { return custom; }
    bool addPerField() const override { return perField; }
    bool addMs7Period() const override { return ms7Period; }
    bool addPeriodToSymbol() const override { return periodToSymbol; }
    bool withVolume() const override { return volume; }
    bool russianLog() const override { return russian; }
};

// Keeps every log line, the last counter text and the number of yields.
struct RecordingReport : ConversionReport {
    std::vector<std::string> log;
    std::string counter;
    int yields = 0;

    void AddLogLine(std::string_view line) override { log.emplace_back(line); }
    void ShowLineCounter(std::string_view text) override { counter = text; }
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
