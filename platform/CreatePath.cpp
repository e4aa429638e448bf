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

bool CanEnterAndWrite(int folderFd)
{
    const int wanted = W_OK | X_OK;
    if (::faccessat(folderFd, "", wanted, AT_EMPTY_PATH | AT_EACCESS) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A kernel without AT_EMPTY_PATH here: ask through the descriptor's
    // name in /proc, which is the same folder.
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(folderFd);
    return ::faccessat(AT_FDCWD, self.constData(), wanted, AT_EACCESS) == 0;
}

bool CreatePath(const QByteArray &path)
{
    const int fd = OpenOrCreatePath(path);
    if (fd < 0)
        return false;
    // An O_PATH open only needs the levels above to be searchable: a folder
    // of another user closed to us opens all the same, and every file moved
    // there would then fail. The chosen folder must be one we can enter and
    // write in, as a move into it needs.
    const bool usable = CanEnterAndWrite(fd);
    const int error = errno;
    ::close(fd);
    errno = usable ? 0 : error;
    return usable;
}
