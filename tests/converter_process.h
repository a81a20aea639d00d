#pragma once

// Runs the tarnix-convert program itself, as a script would: its own process, LC_ALL=C, no shell.

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace tarnix::test {

inline constexpr uid_t kNobody = 65534;
// The exit status of a child that could not drop its privileges.
inline constexpr int kCannotDropPrivileges = 77;

// How the program is started: as an unprivileged user (root ignores permissions), with fewer descriptors.
struct ChildSetup {
    bool unprivileged = false;
    rlim_t fileLimit = 0;  // 0 keeps the limit
};

struct ProcessOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Only async-signal-safe calls: the test process may have threads.
[[noreturn]] inline void ExecConverter(const ChildSetup& setup, int out, int err, char* const* argv,
                                       char* const* env) {
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
    ::execve(TARNIX_CONVERT_PATH, argv, env);
    ::_exit(127);
}

// Runs tarnix-convert with `args`; `whileRunning` gets the running child's id. Standard error goes to a file
// of its own, so that a child writing much to both streams can never block on a full pipe.
inline ProcessOutcome RunConverterProcess(std::vector<std::string> args, const ChildSetup& setup = {},
                                          const std::function<void(pid_t)>& whileRunning = {}) {
    args.insert(args.begin(), "tarnix-convert");
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::string errPath = "/tmp/tarnix-stderr-XXXXXX";
    const int err = ::mkstemp(errPath.data());
    int out[2];
    if (err < 0 || ::pipe2(out, O_CLOEXEC) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        char locale[] = "LC_ALL=C";
        char* env[] = {locale, nullptr};
        ExecConverter(setup, out[1], err, argv.data(), env);
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
    if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
    std::ifstream errors(errPath, std::ios::binary);
    outcome.err.assign(std::istreambuf_iterator<char>(errors), std::istreambuf_iterator<char>());
    ::unlink(errPath.c_str());
    return outcome;
}

}  // namespace tarnix::test
