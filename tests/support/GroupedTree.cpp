#include "GroupedTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool MakeGroupedTree(const QByteArray &folder, int fileCount, int filesPerFolder, int foldersPerGroup,
                     const QByteArray &suffix)
{
    if (::mkdir(folder.constData(), 0755) != 0)
        return false;
    for (int made = 0; made < fileCount;) {
        const int folderIndex = made / filesPerFolder;
        const QByteArray group = folder + "/g" + QByteArray::number(folderIndex / foldersPerGroup);
        const QByteArray leaf = group + "/f" + QByteArray::number(folderIndex % foldersPerGroup);
        if (folderIndex % foldersPerGroup == 0 && ::mkdir(group.constData(), 0755) != 0)
            return false;
        if (::mkdir(leaf.constData(), 0755) != 0)
            return false;
        for (int i = 0; i < filesPerFolder && made < fileCount; ++i, ++made) {
            const QByteArray file = leaf + "/file" + QByteArray::number(i) + suffix;
            const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            const bool written = fd >= 0 && ::write(fd, "0123456789abcdef", 16) == 16;
            if (fd >= 0)
                ::close(fd);
            if (!written)
                return false;
        }
    }
    return true;
}
