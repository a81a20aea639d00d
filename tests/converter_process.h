#pragma once

// Runs the tarnix-convert program itself, as a script would: its own process, no shell. On Linux with
// LC_ALL=C, and optionally as an unprivileged user or with fewer descriptors; on Windows with the console's
// CR LF line ends turned back into LF, so that one table of expected logs holds for both.

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace tarnix::test {

struct ProcessOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifdef _WIN32

// One argument as the program's command line parser reads it back.
inline std::wstring QuotedArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

inline std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

// Runs tarnix-convert with `args`. The tests run under wine, whose drive Z: is the root of the build host.
inline ProcessOutcome RunConverterProcess(const std::vector<std::string>& args) {
    std::wstring program = Utf8Path(TARNIX_CONVERT_PATH).wstring();
    if (program.starts_with(L"/")) program = L"Z:" + program;
    std::wstring commandLine = QuotedArgument(program);
    for (const std::string& arg : args) commandLine += L" " + QuotedArgument(Utf8Path(arg).wstring());

    const TempDir outputs;
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const auto create = [&](const char* name) {
        return CreateFileW(Utf8Path(outputs.PathOf(name)).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    const HANDLE out = create("out");
    const HANDLE err = create("err");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    ProcessOutcome outcome;
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 0;
        if (GetExitCodeProcess(process.hProcess, &status)) outcome.status = static_cast<int>(status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    outcome.out = WithoutCarriageReturns(ReadWholeFile(Utf8Path(outputs.PathOf("out"))));
    outcome.err = WithoutCarriageReturns(ReadWholeFile(Utf8Path(outputs.PathOf("err"))));
    return outcome;
}

#else

inline constexpr uid_t kNobody = 65534;
// The exit status of a child that could not drop its privileges.
inline constexpr int kCannotDropPrivileges = 77;
// The exit status of a child that could not start the program; its standard error says why.
inline constexpr int kCannotStartProgram = 127;

// How the program is started: as an unprivileged user (root ignores permissions), with fewer descriptors.
// Where the program's standard output goes: a pipe that the test reads, a full disk (/dev/full), or a pipe
// whose reader has gone.
enum class Output { kPipe, kFullDisk, kClosedPipe };

struct ChildSetup {
    bool unprivileged = false;
    rlim_t fileLimit = 0;      // descriptors; 0 keeps the limit
    rlim_t fileSizeLimit = 0;  // bytes a file may grow to, as on a full disk; 0 keeps the limit
    Output output = Output::kPipe;
    bool ignoreBrokenPipe = false;  // SIGPIPE ignored, as some callers start their children
};

// A copy of the program that user 65534 can start: the checkout may lie below folders that only their
// owner can enter (root's home directory, a private temporary folder). Made once per test process.
inline const std::string& ConverterForEveryone() {
    static const TempDir kPlace;
    static const std::string kCopy = [] {
        namespace fs = std::filesystem;
        const fs::path target = Utf8Path(kPlace.PathOf("tarnix-convert"));
        fs::copy_file(TARNIX_CONVERT_PATH, target, fs::copy_options::overwrite_existing);
        fs::permissions(Utf8Path(kPlace.path()), fs::perms::owner_all | fs::perms::group_read |
                                                     fs::perms::group_exec | fs::perms::others_read |
                                                     fs::perms::others_exec);
        return target.string();
    }();
    return kCopy;
}

inline void WriteText(int fd, const char* text) {
    if (::write(fd, text, std::strlen(text)) < 0) return;
}

// Only async-signal-safe calls: the test process may have threads.
[[noreturn]] inline void ExecConverter(const char* program, const ChildSetup& setup, int out, int err,
                                       char* const* argv, char* const* env) {
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    ::close_range(3, ~0u, 0);
    if (setup.unprivileged && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        ::_exit(kCannotDropPrivileges);
    }
    if (setup.fileLimit != 0) {
        const rlimit limit{setup.fileLimit, setup.fileLimit};
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    if (setup.ignoreBrokenPipe) ::signal(SIGPIPE, SIG_IGN);
    if (setup.fileSizeLimit != 0) {
        const rlimit limit{setup.fileSizeLimit, setup.fileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ::execve(program, argv, env);
    const int error = errno;
    WriteText(STDERR_FILENO, "cannot start ");
    WriteText(STDERR_FILENO, program);
    WriteText(STDERR_FILENO, ": ");
    WriteText(STDERR_FILENO, ::strerrordesc_np(error));
    WriteText(STDERR_FILENO, "\n");
    ::_exit(kCannotStartProgram);
}

// Runs tarnix-convert with `args`; `whileRunning` gets the running child's id. Standard error goes to a file
// of its own, so that a child writing much to both streams can never block on a full pipe.
inline ProcessOutcome RunConverterProcess(std::vector<std::string> args, const ChildSetup& setup = {},
                                          const std::function<void(pid_t)>& whileRunning = {}) {
    const std::string program =
        setup.unprivileged && ::geteuid() == 0 ? ConverterForEveryone() : std::string(TARNIX_CONVERT_PATH);
    args.insert(args.begin(), "tarnix-convert");
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::string errPath = "/tmp/tarnix-stderr-XXXXXX";
    const int err = ::mkstemp(errPath.data());
    int out[2];
    if (err < 0 || ::pipe2(out, O_CLOEXEC) != 0) return {};
    if (setup.output == Output::kFullDisk) {
        ::close(out[1]);
        out[1] = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    }
    // With no reader left anywhere, every write to the pipe fails.
    if (setup.output == Output::kClosedPipe) ::close(std::exchange(out[0], ::open("/dev/null", O_RDONLY)));
    const pid_t pid = ::fork();
    if (pid == 0) {
        char locale[] = "LC_ALL=C";
        char* env[] = {locale, nullptr};
        ExecConverter(program.c_str(), setup, out[1], err, argv.data(), env);
    }
    ::close(out[1]);
    ::close(err);
    if (whileRunning) whileRunning(pid);
    ProcessOutcome outcome;
    char buffer[4096];
    for (ssize_t got = 0; (got = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        outcome.out.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(out[0]);
    int status = 0;
    if (::waitpid(pid, &status, 0) == pid) {
        // A signal counts as the shell counts it: 128 and its number.
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    outcome.err = ReadWholeFile(errPath);
    ::unlink(errPath.c_str());
    return outcome;
}

#endif

}  // namespace tarnix::test
