#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace zel::test {

// How a child process ended and what it wrote.
struct ChildResult {
    bool exited = false;   // it ended by itself
    int exitCode = -1;     // its exit status, when it exited
    int signal = 0;        // the signal that ended it, when one did
    bool timedOut = false; // it outlived its time and was killed
    std::string out, err;
};

struct ChildOptions {
    // RLIMIT_FSIZE of the child, SIGXFSZ ignored: a write beyond the limit fails with EFBIG, as
    // on a full disk, instead of ending the program.
    rlim_t fileSizeLimit = RLIM_INFINITY;
    // Run as this user and group (only possible for root); -1 keeps the test's own.
    int user = -1;
    // "NAME=VALUE" entries added to the test's environment.
    std::vector<std::string> environment;
    // JOURNAL_STREAM names the child's standard error, as systemd does for a service whose
    // output goes to the journal.
    bool stderrIsJournal = false;
};

// A program run without a shell, its output read through pipes; standard input is /dev/null.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const ChildOptions& options = {}) {
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        int out[2], err[2];
        // Close-on-exec: children started at the same time by other threads do not keep these
        // pipes open.
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        if (::pipe2(err, O_CLOEXEC) != 0) {
            ::close(out[0]);
            ::close(out[1]);
            return;
        }
        // The environment is made before the fork: the child may only call async-signal-safe
        // functions.
        std::vector<std::string> environment = options.environment;
        struct stat errInfo {};
        if (options.stderrIsJournal && ::fstat(err[1], &errInfo) == 0)
            environment.push_back("JOURNAL_STREAM=" + std::to_string(errInfo.st_dev) + ":" +
                                  std::to_string(errInfo.st_ino));
        std::vector<char*> envp;
        const auto replaced = [&](const char* entry) {
            for (const auto& e : environment) {
                const auto name = e.substr(0, e.find('=') + 1);
                if (std::string_view(entry).substr(0, name.size()) == name)
                    return true;
            }
            return false;
        };
        for (char** e = environ; *e; ++e)
            if (!replaced(*e))
                envp.push_back(*e);
        for (auto& e : environment)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            // Only async-signal-safe calls from here to exec.
            const int devNull = ::open("/dev/null", O_RDONLY);
            ::dup2(devNull, 0);
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            if (options.fileSizeLimit != RLIM_INFINITY) {
                struct sigaction ignore {};
                ignore.sa_handler = SIG_IGN;
                ::sigaction(SIGXFSZ, &ignore, nullptr);
                const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            if (options.user >= 0 && (::setgid(static_cast<gid_t>(options.user)) != 0 ||
                                      ::setuid(static_cast<uid_t>(options.user)) != 0))
                ::_exit(126);
            ::execve(args[0], args.data(), envp.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        outFd_ = out[0];
        errFd_ = err[0];
        if (pid_ < 0) {
            CloseOutput();
            pid_ = -1;
        }
    }
    ~ChildProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        CloseOutput();
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    void Kill(int signal = SIGKILL) {
        if (pid_ > 0)
            ::kill(pid_, signal);
    }

    // Waits for the end, collecting the output; a child still running after `timeout` is
    // killed and reported as timed out.
    ChildResult Wait(std::chrono::milliseconds timeout) {
        ChildResult result;
        if (pid_ <= 0)
            return result;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        int status = 0;
        for (;;) {
            Collect(result, 20);
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_)
                break;
            if (std::chrono::steady_clock::now() >= deadline) {
                result.timedOut = true;
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
        }
        pid_ = -1;
        while (outFd_ >= 0 || errFd_ >= 0)
            Collect(result, 1000);
        result.exited = WIFEXITED(status);
        result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
        result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        return result;
    }

private:
    // Reads what the pipes hold, waiting up to `waitMs` for something to arrive; a pipe at its
    // end is closed.
    void Collect(ChildResult& result, int waitMs) {
        pollfd p[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
        if (::poll(p, 2, waitMs) <= 0) {
            if (pid_ < 0) // the child is gone and nothing more comes
                CloseOutput();
            return;
        }
        ReadInto(p[0], outFd_, result.out);
        ReadInto(p[1], errFd_, result.err);
    }
    static void ReadInto(const pollfd& p, int& fd, std::string& text) {
        if (fd < 0 || !(p.revents & (POLLIN | POLLHUP | POLLERR)))
            return;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else {
            ::close(fd);
            fd = -1;
        }
    }
    void CloseOutput() {
        for (int* fd : {&outFd_, &errFd_}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
    }

    pid_t pid_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
};

// Runs a program to its end, or kills it after `timeout`.
inline ChildResult RunChild(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
                            const ChildOptions& options = {}) {
    ChildProcess child(argv, options);
    return child.Wait(timeout);
}

} // namespace zel::test
