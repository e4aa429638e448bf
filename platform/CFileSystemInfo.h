#pragma once

#include <QByteArray>
#include <cstdint>
#include <sys/types.h>

// What the file system under a folder is: which device and mount it is
// reached through, and whether it can share one file's blocks with another
// (reflinked copies, snapshots), so that removing a file may free less than
// the blocks it has.
struct FileSystemInfo
{
    bool ok = false;
    dev_t device = 0;
    std::uint64_t mountId = 0; // 0 when the system cannot tell
    std::uint64_t type = 0;    // the file system's magic number
    bool canShareExtents = false;
    bool isBtrfs = false;
};

class CFileSystemInfo
{
public:
    // Looks at the folder a drive root names (a link to it is followed).
    static FileSystemInfo Query(const QByteArray &folder);
    // The same for a descriptor that is already open.
    static FileSystemInfo QueryOpen(int fd);
};
