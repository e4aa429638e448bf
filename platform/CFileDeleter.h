#pragma once

#include "platform/FileIdentity.h"
#include "platform/FileOpResult.h"

#include <QByteArray>

// Deletes listed files for good. Only the file the walk saw is removed: the
// folder is reached from the drive root without following links, the entry
// must still have the identity the walk recorded, and it is set aside under
// a name of its own and checked again before it is unlinked (CSetAsideEntry),
// so a file swapped in at the last moment is never the one that goes. The
// file's own mode bits are neither looked at nor changed (a read-only file in
// a writable folder goes).
class CFileDeleter
{
public:
    // `path` must lie below `driveRoot`.
    FileOpResult Delete(const QByteArray &driveRoot, const QByteArray &path, const FileIdentity &expected);
    // The same for an entry of a folder already reached safely (see
    // CFolderChain); `folderFd` may be an O_PATH descriptor.
    FileOpResult Delete(int folderFd, const QByteArray &name, const FileIdentity &expected);
};
