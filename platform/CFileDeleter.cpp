#include "platform/CFileDeleter.h"

#include "platform/CSetAsideEntry.h"
#include "platform/CVerifiedEntry.h"

FileOpResult CFileDeleter::Delete(const QByteArray &driveRoot, const QByteArray &path, const FileIdentity &expected)
{
    const CVerifiedEntry entry(driveRoot, path, expected);
    if (!entry.isValid())
        return entry.result();
    return Delete(entry.folderFd(), entry.name(), expected);
}

FileOpResult CFileDeleter::Delete(int folderFd, const QByteArray &name, const FileIdentity &expected)
{
    CSetAsideEntry entry(folderFd, name, expected);
    if (!entry.IsHeld())
        return entry.GetResult();
    return entry.Unlink();
}
