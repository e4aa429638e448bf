#include "TempDrive.h"

#include "RawFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TempDrive::TempDrive() : m_dir(QDir::tempPath() + QStringLiteral("/bvdrive-XXXXXX")) {}

QByteArray TempDrive::root() const { return QFile::encodeName(m_dir.path()); }

QByteArray TempDrive::path(const QByteArray &relative) const
{
    return relative.isEmpty() ? root() : root() + '/' + relative;
}

bool TempDrive::makeFolder(const QByteArray &relative)
{
    QByteArray current = root();
    for (const QByteArray &part : relative.split('/')) {
        if (part.isEmpty())
            continue;
        current += '/' + part;
        if (::mkdir(current.constData(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

bool TempDrive::makeFile(const QByteArray &relative, std::int64_t size)
{
    const int slash = relative.lastIndexOf('/');
    if (slash > 0 && !makeFolder(relative.left(slash)))
        return false;
    const int fd = ::open(path(relative).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::ftruncate(fd, size) == 0;
    ::close(fd);
    return ok;
}

bool TempDrive::setTimes(const QByteArray &relative, std::time_t modified, std::time_t accessed)
{
    struct timespec times[2];
    times[0].tv_sec = accessed;
    times[0].tv_nsec = 0;
    times[1].tv_sec = modified;
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, path(relative).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool TempDrive::makeSymlink(const QByteArray &relative, const QByteArray &target)
{
    return ::symlink(target.constData(), path(relative).constData()) == 0;
}

bool TempDrive::writeFile(const QByteArray &relative, const QByteArray &bytes)
{
    return makeFile(relative) && WriteFile(path(relative), bytes);
}

bool TempDrive::exists(const QByteArray &relative) const
{
    return Exists(path(relative));
}
