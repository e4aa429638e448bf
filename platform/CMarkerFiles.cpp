#include "platform/CMarkerFiles.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CMarkerFiles::Kind CMarkerFiles::KindAt(const QByteArray &path)
{
    struct statx st;
    if (path.isEmpty() || path.contains('\0')
        || ::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE, &st) != 0)
        return Kind::Missing;
    if (S_ISREG(st.stx_mode))
        return Kind::File;
    if (S_ISDIR(st.stx_mode))
        return Kind::Folder;
    return Kind::Other;
}

QByteArray CMarkerFiles::ReadHead(const QByteArray &path, int limit)
{
    if (path.isEmpty() || path.contains('\0') || limit <= 0)
        return QByteArray();
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    QByteArray data;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        data.resize(limit);
        qsizetype used = 0;
        while (used < limit) {
            const ssize_t got = ::read(fd, data.data() + used, std::size_t(limit - used));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            used += got;
        }
        data.truncate(used);
    }
    ::close(fd);
    return data;
}

QList<QByteArray> CMarkerFiles::FileNamesIn(const QByteArray &folder, const QByteArray &prefix,
                                            const QByteArray &suffix)
{
    QList<QByteArray> names;
    if (folder.isEmpty() || folder.contains('\0'))
        return names;
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return names;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return names;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.size() < prefix.size() + suffix.size() || !name.startsWith(prefix) || !name.endsWith(suffix))
            continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            names.append(name);
    }
    ::closedir(dir);
    return names;
}
