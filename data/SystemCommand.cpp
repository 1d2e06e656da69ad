#include "data/SystemCommand.h"

#include "platform/atomicfile.h"
#include "platform/log.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace syscmd {

namespace {

std::mutex runnerMutex;
std::function<void()> &syncRunner()
{
    static std::function<void()> r;
    return r;
}

int msLeft(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Reaps the child if it has ended; true when it is gone.
bool tryReap(pid_t pid, Result &r)
{
    int status = 0;
    pid_t w;
    do {
        w = ::waitpid(pid, &status, WNOHANG);
    } while (w < 0 && errno == EINTR);
    if (w == 0)
        return false;
    if (w == pid && WIFEXITED(status))
        r.exitCode = WEXITSTATUS(status);
    // w < 0 (ECHILD): someone else reaped it; it has ended all the same.
    return true;
}

} // namespace

Result run(const std::vector<std::string> &argv, int timeoutMs)
{
    Result r;
    if (argv.empty() || argv.front().empty())
        return r;

    // The child's standard output is a pipe: its end-of-file tells us that the
    // process has ended, so we can wait for it with a time limit in poll().
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        platform::debugLine("syscmd: pipe failed: " + std::string(std::strerror(errno)));
        return r;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);

    std::vector<char *> args;
    args.reserve(argv.size() + 1);
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);

    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        platform::debugLine("syscmd: cannot run " + argv.front() + ": " + std::strerror(rc));
        return r;
    }
    r.started = true;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool eof = false;
    char buf[512];
    while (!eof) {
        const int left = msLeft(deadline);
        if (left <= 0)
            break;
        pollfd p{fds[0], POLLIN, 0};
        const int n = ::poll(&p, 1, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (n == 0)
            break;
        const ssize_t got = ::read(fds[0], buf, sizeof buf);
        if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN))
            eof = true;
    }
    ::close(fds[0]);

    if (eof) {
        // Output closed: the process is ending. A program that closes its
        // output early still gets no more than the time that is left.
        while (!(r.finished = tryReap(pid, r))) {
            if (msLeft(deadline) <= 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    if (!r.finished) {
        platform::debugLine("syscmd: " + argv.front() + " did not end in time, killed");
        ::kill(pid, SIGKILL);
        // A process stuck in uninterruptible I/O dies only when the I/O ends;
        // reap it then without holding up the caller.
        if (!tryReap(pid, r)) {
            std::thread([pid] {
                int status = 0;
                while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
                }
            }).detach();
        }
    }
    return r;
}

void runSync()
{
    if (!platform::durableWrites())
        return;
    std::function<void()> custom;
    {
        std::lock_guard<std::mutex> l(runnerMutex);
        custom = syncRunner();
    }
    if (custom) {
        custom();
        return;
    }
    run({"sync"}, 30000);
}

void setSyncRunnerForTests(std::function<void()> runner)
{
    std::lock_guard<std::mutex> l(runnerMutex);
    syncRunner() = std::move(runner);
}

} // namespace syscmd
