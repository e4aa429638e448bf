#include "platform/CFileDeleter.h"

#include "platform/CVerifiedEntry.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

FileOpResult CFileDeleter::Delete(const QByteArray &driveRoot, const QByteArray &path, dev_t device, ino_t inode)
{
    const CVerifiedEntry entry(driveRoot, path, device, inode);
    if (!entry.isValid())
        return entry.result();
    if (::unlinkat(entry.folderFd(), entry.name().constData(), 0) != 0)
        return FileOpResult::FromErrno(errno);
    return FileOpResult::Success();
}
