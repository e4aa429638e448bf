#include "platform/CCommandPipe.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kErrorKept = 4096;

bool IsLocaleVariable(const char *entry)
{
    return std::strncmp(entry, "LC_", 3) == 0 || std::strncmp(entry, "LANG=", 5) == 0
           || std::strncmp(entry, "LANGUAGE=", 9) == 0;
}

void CloseIfOpen(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Reads what is there on `fd`; false at its end or on an error.
bool ReadSome(int fd, QByteArray &into, std::int64_t &total)
{
    const qsizetype used = into.size();
    into.resize(used + qsizetype(kChunk));
    ssize_t got;
    do {
        got = ::read(fd, into.data() + used, kChunk);
    } while (got < 0 && errno == EINTR);
    into.resize(used + (got > 0 ? got : 0));
    if (got > 0)
        total += got;
    return got > 0;
}

} // namespace

CCommandPipe::CCommandPipe(QList<QByteArray> droppedVariables) : m_droppedVariables(std::move(droppedVariables)) {}

bool CCommandPipe::Run(const QByteArray &program, const QList<QByteArray> &args, const LineHandler &handler)
{
    m_strError.clear();
    m_nBytesRead = 0;

    // Everything the child needs is made before it starts.
    std::vector<QByteArray> environment;
    for (char **entry = environ; entry && *entry; ++entry) {
        bool dropped = IsLocaleVariable(*entry);
        for (const QByteArray &name : m_droppedVariables)
            dropped = dropped || (std::strncmp(*entry, name.constData(), std::size_t(name.size())) == 0
                                  && (*entry)[name.size()] == '=');
        if (!dropped)
            environment.emplace_back(*entry);
    }
    environment.emplace_back("LC_ALL=C");
    std::vector<char *> envp;
    for (QByteArray &entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    QList<QByteArray> argvBytes = QList<QByteArray>{program} + args;
    std::vector<char *> argv;
    for (QByteArray &arg : argvBytes)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        m_strError = QString::fromLocal8Bit(std::strerror(errno));
        CloseIfOpen(out[0]);
        CloseIfOpen(out[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t child = -1;
    const int spawnError = ::posix_spawnp(&child, program.constData(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    CloseIfOpen(out[1]);
    CloseIfOpen(err[1]);
    if (spawnError != 0) {
        CloseIfOpen(out[0]);
        CloseIfOpen(err[0]);
        m_strError = QString::fromLocal8Bit(program) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(spawnError));
        return false;
    }

    // Both pipes are drained together, so that a child writing much on
    // stderr never blocks while we wait on its stdout. What stderr says is
    // kept up to the size of `said`; the rest is read and dropped.
    QByteArray pending;
    char said[kErrorKept];
    std::size_t saidLength = 0;
    while (out[0] >= 0 || err[0] >= 0) {
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (out[0] >= 0 && fds[0].revents != 0) {
            const bool more = ReadSome(out[0], pending, m_nBytesRead);
            qsizetype start = 0;
            for (;;) {
                const char *begin = pending.constData() + start;
                const void *newline = std::memchr(begin, '\n', std::size_t(pending.size() - start));
                if (!newline)
                    break;
                const qsizetype length = static_cast<const char *>(newline) - begin;
                handler(begin, std::size_t(length));
                start += length + 1;
            }
            pending.remove(0, start);
            if (!more) {
                if (!pending.isEmpty())
                    handler(pending.constData(), std::size_t(pending.size()));
                pending.clear();
                CloseIfOpen(out[0]);
            }
        }
        if (err[0] >= 0 && fds[1].revents != 0) {
            char dropped[512];
            ssize_t got;
            do {
                got = saidLength < sizeof said ? ::read(err[0], said + saidLength, sizeof said - saidLength)
                                               : ::read(err[0], dropped, sizeof dropped);
            } while (got < 0 && errno == EINTR);
            if (got > 0 && saidLength < sizeof said)
                saidLength += std::size_t(got);
            if (got <= 0)
                CloseIfOpen(err[0]);
        }
    }
    CloseIfOpen(out[0]);
    CloseIfOpen(err[0]);

    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            m_strError = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    m_strError = QString::fromLocal8Bit(program)
                 + (WIFEXITED(status) ? QStringLiteral(" exited with status %1").arg(WEXITSTATUS(status))
                                      : QStringLiteral(" was ended by signal %1").arg(WTERMSIG(status)));
    const QByteArray text = QByteArray(said, qsizetype(saidLength)).trimmed();
    if (!text.isEmpty())
        m_strError += QStringLiteral(": ") + QString::fromLocal8Bit(text);
    return false;
}
