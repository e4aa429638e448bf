#include "ChildProcess.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool WriteText(const char *path, const QByteArray &text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.constData(), size_t(text.size())) == ssize_t(text.size());
    ::close(fd);
    return ok;
}

std::int64_t StatusField(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

ChildOutput RunInChild(const std::function<int(QByteArray &out)> &work)
{
    ChildOutput output;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return output;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        QByteArray out;
        const int code = work(out);
        for (qsizetype done = 0; done < out.size();) {
            const ssize_t n = ::write(fds[1], out.constData() + done, size_t(out.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::_exit(code);
    }
    ::close(fds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        output.text.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        output.exitCode = WEXITSTATUS(status);
    return output;
}

bool EnterPrivateMountNamespace(QByteArray &why)
{
    if (::unshare(CLONE_NEWNS) != 0) {
        const QByteArray uid = QByteArray::number(::getuid());
        const QByteArray gid = QByteArray::number(::getgid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            why = "cannot create a mount namespace: " + QByteArray(strerror(errno));
            return false;
        }
        WriteText("/proc/self/setgroups", "deny");
        if (!WriteText("/proc/self/uid_map", "0 " + uid + " 1") || !WriteText("/proc/self/gid_map", "0 " + gid + " 1")) {
            why = "cannot map ids in a user namespace";
            return false;
        }
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        why = "cannot make mounts private: " + QByteArray(strerror(errno));
        return false;
    }
    return true;
}

std::int64_t CurrentMemoryKb() { return StatusField("VmRSS:"); }
std::int64_t PeakMemoryKb() { return StatusField("VmHWM:"); }
bool ResetPeakMemory() { return WriteText("/proc/self/clear_refs", "5"); }

int MakeChain(const QByteArray &root, int levels, const QByteArray &name, bool fileEachLevel)
{
    int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; fd >= 0 && level < levels; ++level) {
        if (::mkdirat(fd, name.constData(), 0755) != 0 && errno != EEXIST) {
            ::close(fd);
            return -1;
        }
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        fd = next;
        if (fd >= 0 && fileEachLevel) {
            const int file = ::openat(fd, ("f" + QByteArray::number(level)).constData(),
                                      O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (file < 0) {
                ::close(fd);
                return -1;
            }
            ::close(file);
        }
    }
    return fd;
}

bool RemoveTree(const QByteArray &path)
{
    return QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QFile::decodeName(path)}) == 0;
}
