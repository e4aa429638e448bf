#pragma once

#include <QByteArray>
#include <cstdint>
#include <sys/types.h>

// A file a running process holds open after its last name was removed: its
// blocks stay taken until the process closes it, and no folder listing shows
// it. One entry per process and descriptor.
struct DeletedOpenFile
{
    dev_t device = 0;
    ino_t inode = 0;
    std::uint64_t mountId = 0;        // the mount it was opened through, 0 when unknown
    std::int64_t allocatedBytes = 0;  // blocks on disk x 512
    pid_t pid = 0;
    QByteArray program;               // the process's own short name
};
