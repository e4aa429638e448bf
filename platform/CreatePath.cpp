#include "platform/CreatePath.h"

#include <QList>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

} // namespace

int OpenOrCreatePath(const QByteArray &path)
{
    if (!path.startsWith('/') || path.contains('\0')) {
        errno = EINVAL;
        return -1;
    }
    int fd = ::open("/", kFolderFlags);
    if (fd < 0)
        return -1;
    for (const QByteArray &level : path.split('/')) {
        if (level.isEmpty())
            continue;
        int next = ::openat(fd, level.constData(), kFolderFlags);
        if (next < 0 && errno == ENOENT) {
            if (::mkdirat(fd, level.constData(), 0777) != 0 && errno != EEXIST) {
                const int error = errno;
                ::close(fd);
                errno = error;
                return -1;
            }
            next = ::openat(fd, level.constData(), kFolderFlags | O_NOFOLLOW);
        }
        const int error = errno;
        ::close(fd);
        if (next < 0) {
            errno = error;
            return -1;
        }
        fd = next;
    }
    return fd;
}

bool CreatePath(const QByteArray &path)
{
    const int fd = OpenOrCreatePath(path);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}
