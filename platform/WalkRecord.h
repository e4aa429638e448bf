#pragma once

#include "platform/FileIdentity.h"

#include <QByteArray>
#include <cstdint>
#include <sys/types.h>

// What the drive walk knows about one file: enough to match it against the
// criteria and to find exactly this file again before acting on it.
struct WalkRecord
{
    QByteArray name;         // raw name bytes, as the file system has them
    QByteArray folder;       // raw path of the containing folder, no trailing slash except for "/"
    std::int64_t size = 0;   // whole length in bytes
    std::int64_t creationTime = 0;  // birth time, else the older of modify and change time
    std::int64_t modifiedTime = 0;
    std::int64_t accessedTime = 0;
    dev_t device = 0;
    ino_t inode = 0;
    FileIdentity identity;            // everything an action compares before it acts
    std::int64_t allocatedBytes = 0;  // blocks on disk x 512: what removing the file can free
    std::uint32_t linkCount = 1;
};
