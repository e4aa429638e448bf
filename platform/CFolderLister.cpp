#include "platform/CFolderLister.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ValidName(const QByteArray &name)
{
    return !name.isEmpty() && !name.contains('/') && !name.contains('\0') && name != "." && name != "..";
}

// Calls `found` for every listed folder until it returns false.
bool EachFolder(const QByteArray &path, const std::function<bool(const QByteArray &)> &found)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return false;
    }
    while (dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info;
            isFolder = ::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
        }
        if (isFolder && !found(QByteArray(entry->d_name)))
            break;
    }
    ::closedir(dir);
    return true;
}

int OpenFolder(const QByteArray &path)
{
    return ::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

bool CFolderLister::ListFolders(const QByteArray &path, QList<QByteArray> &names)
{
    names.clear();
    return EachFolder(path, [&names](const QByteArray &name) {
        names.append(name);
        return true;
    });
}

int CFolderLister::MakeFolder(const QByteArray &parent, const QByteArray &name)
{
    if (!ValidName(name))
        return EINVAL;
    const int fd = OpenFolder(parent);
    if (fd < 0)
        return errno;
    const int result = ::mkdirat(fd, name.constData(), 0777) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

int CFolderLister::Rename(const QByteArray &parent, const QByteArray &from, const QByteArray &to)
{
    if (!ValidName(from) || !ValidName(to))
        return EINVAL;
    const int fd = OpenFolder(parent);
    if (fd < 0)
        return errno;
    const int result =
        ::renameat2(fd, from.constData(), fd, to.constData(), RENAME_NOREPLACE) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}
