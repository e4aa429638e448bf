#include "platform/CPathInfo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

PathInfo CPathInfo::LookUp(const QByteArray &path)
{
    PathInfo info;
    if (path.isEmpty() || path.contains('\0')) {
        info.error = ENOENT;
        return info;
    }
    struct statx st;
    if (::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_BTIME, &st)
        != 0) {
        info.error = errno;
        return info;
    }
    info.identity = FileIdentity::FromStatx(st);
    switch (st.stx_mode & S_IFMT) {
    case S_IFDIR: info.kind = PathInfo::Folder; break;
    case S_IFREG: info.kind = PathInfo::File; break;
    case S_IFLNK: info.kind = PathInfo::Link; break;
    default: info.kind = PathInfo::Other; break;
    }
    return info;
}

QByteArray CPathInfo::Canonical(const QByteArray &path, int &error)
{
    error = 0;
    if (path.isEmpty() || path.contains('\0')) {
        error = ENOENT;
        return {};
    }
    char *real = ::realpath(path.constData(), nullptr);
    if (!real) {
        error = errno;
        return {};
    }
    QByteArray result(real);
    std::free(real);
    return result;
}

QByteArray CPathInfo::Absolute(const QByteArray &path)
{
    if (path.startsWith('/'))
        return path;
    char *cwd = ::getcwd(nullptr, 0);
    if (!cwd)
        return {};
    QByteArray result(cwd);
    std::free(cwd);
    if (!result.endsWith('/'))
        result += '/';
    return result + path;
}

bool CPathInfo::IsTerminal(int fd)
{
    return ::isatty(fd) == 1;
}

bool CPathInfo::ReadFile(const QByteArray &path, qint64 limit, QByteArray &data, int &error)
{
    data.clear();
    error = 0;
    if (path.isEmpty() || path.contains('\0')) {
        error = ENOENT;
        return false;
    }
    // Not blocking: a pipe or a device given as a file must be refused at
    // once, not waited on (its type is looked at right below).
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = errno;
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        if (data.size() + n > limit) {
            error = EFBIG;
            ::close(fd);
            return false;
        }
        data.append(buffer, n);
    }
    ::close(fd);
    return true;
}

bool CPathInfo::ReplaceFile(const QByteArray &path, const QByteArray &data, int &error)
{
    error = 0;
    if (path.isEmpty() || path.contains('\0') || path.endsWith('/')) {
        error = EINVAL;
        return false;
    }
    std::random_device random;
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = path + ".tmp" + QByteArray::number(quint32(random()), 36);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) {
            error = errno;
            return false;
        }
    }
    if (fd < 0) {
        error = EEXIST;
        return false;
    }
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        p += n;
        left -= n;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), path.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}
