#pragma once

// Temporary directories and a recording report for tests that run conversions.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/conversion_error.h"
#include "tarnix/conversion.h"

namespace tarnix::test {

// Paths and names are UTF-8 in the program, on every system.
inline std::filesystem::path Utf8Path(std::string_view text) {
    return {std::u8string(text.begin(), text.end())};
}
inline std::string Utf8String(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

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
    std::string path() const { return Utf8String(root_) + kPathSeparator; }
    std::string PathOf(const std::string& name) const { return Utf8String(root_ / Utf8Path(name)); }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(root_ / Utf8Path(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(root_ / Utf8Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(root_ / Utf8Path(name)); }

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

// What RunUnprivileged returns when it cannot make an unprivileged run.
inline constexpr int kNoUnprivilegedRun = 77;

// Runs `check` where file permissions hold and returns 0 when it held, 1 when not. Root ignores permissions,
// so on Linux the check runs in a child that has become user 65534 (kNoUnprivilegedRun when it cannot);
// Windows keeps a read-only attribute even for an administrator, so there it runs in place.
inline int RunUnprivileged(const std::function<bool()>& check) {
#ifdef _WIN32
    return check() ? 0 : 1;
#else
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(kNoUnprivilegedRun);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

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
