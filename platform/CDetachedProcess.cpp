#include "platform/CDetachedProcess.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <linux/close_range.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// An argument vector for execve, built before fork.
struct ExecArguments
{
    explicit ExecArguments(const QStringList &argv)
    {
        strings.reserve(std::size_t(argv.size()));
        for (const QString &argument : argv)
            strings.push_back(QFile::encodeName(argument));
        for (QByteArray &argument : strings)
            pointers.push_back(argument.data());
        pointers.push_back(nullptr);
    }
    std::vector<QByteArray> strings;
    std::vector<char *> pointers;
};

int LastDescriptor()
{
    const long openMax = ::sysconf(_SC_OPEN_MAX);
    return openMax > 0 && openMax < 65536 ? int(openMax) - 1 : 65535;
}

} // namespace

QByteArray CDetachedProcess::Resolve(const QByteArray &program, int *error)
{
    *error = ENOENT;
    if (program.isEmpty())
        return QByteArray();
    if (program.contains('/'))
        return program;

    const char *pathVariable = std::getenv("PATH");
    const QByteArray searchPath = pathVariable ? QByteArray(pathVariable) : QByteArray("/usr/local/bin:/usr/bin:/bin");
    for (QByteArray dir : searchPath.split(':')) {
        if (dir.isEmpty())
            dir = ".";
        const QByteArray candidate = dir + '/' + program;
        struct stat st;
        if (::stat(candidate.constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (::access(candidate.constData(), X_OK) == 0)
            return candidate;
        // Found but not runnable: remembered, as a later folder may still
        // hold a runnable one.
        *error = EACCES;
    }
    return QByteArray();
}

int CDetachedProcess::Start(const QStringList &argv)
{
    if (argv.isEmpty())
        return ENOENT;
    int error = 0;
    const QByteArray path = Resolve(QFile::encodeName(argv.first()), &error);
    if (path.isEmpty())
        return error;

    // Everything the children need is made before fork: after it, only
    // calls that are safe in a copy of a threaded process.
    ExecArguments arguments(argv);
    std::vector<char *> &pointers = arguments.pointers;

    // The program must not inherit our descriptors (open folders, files
    // being written): every one above the standard three closes on exec.
    const int lastFd = LastDescriptor();

    // The pipe closes on a successful exec; a failure writes its errno.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return errno;

    const pid_t child = ::fork();
    if (child < 0) {
        const int forkError = errno;
        ::close(report[0]);
        ::close(report[1]);
        return forkError;
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                const int e = errno;
                (void)!::write(report[1], &e, sizeof e);
            }
            ::_exit(0);
        }
        if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0)
            for (int fd = 3; fd <= lastFd; ++fd)
                ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve(path.constData(), pointers.data(), environ);
        const int e = errno;
        (void)!::write(report[1], &e, sizeof e);
        ::_exit(127);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int execError = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return got == static_cast<ssize_t>(sizeof execError) ? execError : 0;
}

namespace {

// What the watcher of a program tells StartAndWait, each in one write.
struct Report
{
    enum Kind : int { ExecFailed = 1, Ended = 2 } kind;
    int value; // the errno of the failed exec, or the wait status
};

void Send(int fd, Report::Kind kind, int value)
{
    const Report report{kind, value};
    (void)!::write(fd, &report, sizeof report);
}

// Closes every descriptor above the standard three except `keep`.
void CloseAllBut(int keep, int lastFd)
{
    bool closed = keep <= 3 || ::close_range(3, unsigned(keep) - 1, 0) == 0;
    closed = closed && ::close_range(unsigned(keep) + 1, ~0U, 0) == 0;
    if (!closed)
        for (int fd = 3; fd <= lastFd; ++fd)
            if (fd != keep)
                ::close(fd);
}

} // namespace

CDetachedProcess::Waited CDetachedProcess::StartAndWait(const QStringList &argv, int waitMs)
{
    Waited waited;
    if (argv.isEmpty()) {
        waited.startError = ENOENT;
        return waited;
    }
    const QByteArray path = Resolve(QFile::encodeName(argv.first()), &waited.startError);
    if (path.isEmpty())
        return waited;
    waited.startError = 0;

    ExecArguments arguments(argv);
    std::vector<char *> &pointers = arguments.pointers;
    const int lastFd = LastDescriptor();

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        waited.startError = errno;
        return waited;
    }
    // Three generations: our child ends at once (we reap it), its child
    // becomes init's and watches the program, its grandchild, reporting how
    // it ended. So a program that runs on (a browser started in the
    // foreground) never leaves us a zombie or a wait without end.
    const pid_t child = ::fork();
    if (child < 0) {
        waited.startError = errno;
        ::close(report[0]);
        ::close(report[1]);
        return waited;
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        const pid_t watcher = ::fork();
        if (watcher != 0) {
            if (watcher < 0)
                Send(report[1], Report::ExecFailed, errno);
            ::_exit(0);
        }
        // The watcher holds none of our descriptors while it waits.
        CloseAllBut(report[1], lastFd);
        const pid_t program = ::fork();
        if (program < 0) {
            Send(report[1], Report::ExecFailed, errno);
            ::_exit(0);
        }
        if (program == 0) {
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::execve(path.constData(), pointers.data(), environ);
            Send(report[1], Report::ExecFailed, errno);
            ::_exit(127);
        }
        // Nobody may be listening any more (the wait ended): the report is
        // then dropped, not a signal that ends the watcher with a fuss.
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, nullptr);
        int status = 0;
        while (::waitpid(program, &status, 0) < 0 && errno == EINTR) {
        }
        Send(report[1], Report::Ended, status);
        ::_exit(0);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{report[0], POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(std::max<std::int64_t>(left.count(), 0)));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            break; // still running: it took the request
        Report got{};
        const ssize_t n = ::read(report[0], &got, sizeof got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n != ssize_t(sizeof got)) {
            // The watcher went away without a word.
            waited.finished = true;
            break;
        }
        if (got.kind == Report::ExecFailed && waited.startError == 0) {
            waited.startError = got.value;
        } else if (got.kind == Report::Ended) {
            waited.finished = true;
            waited.exitStatus = WIFEXITED(got.value) ? WEXITSTATUS(got.value) : -1;
            break;
        }
    }
    ::close(report[0]);
    return waited;
}
