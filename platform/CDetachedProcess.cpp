#include "platform/CDetachedProcess.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

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
    std::vector<QByteArray> arguments;
    arguments.reserve(argv.size());
    for (const QString &argument : argv)
        arguments.push_back(QFile::encodeName(argument));
    std::vector<char *> pointers;
    for (QByteArray &argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);

    // The program must not inherit our descriptors (open folders, files
    // being written): every one above the standard three closes on exec.
    const long openMax = ::sysconf(_SC_OPEN_MAX);
    const int lastFd = openMax > 0 && openMax < 65536 ? int(openMax) - 1 : 65535;

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
