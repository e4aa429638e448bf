#pragma once

#include "platform/FileOpResult.h"

#include <QByteArray>
#include <sys/types.h>

// Deletes listed files for good. Only the file the walk saw is removed: the
// path is followed from the drive root without following links, and the entry
// must still have the recorded device and inode. The file's own mode bits are
// neither looked at nor changed (a read-only file in a writable folder goes).
class CFileDeleter
{
public:
    FileOpResult Delete(const QByteArray &driveRoot, const QByteArray &path, dev_t device, ino_t inode);
};
