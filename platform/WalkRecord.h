#pragma once

#include "platform/FileIdentity.h"

#include <QByteArray>
#include <cstdint>
#include <sys/types.h>

// One folder on the way from the walk's root down to a file's folder.
struct WalkFolder
{
    std::uint64_t serial = 0;   // never given to two folders, in any walk of this process
    qsizetype nameBegin = 0;    // where its name lies in WalkRecord::folder; the
    qsizetype nameLength = 0;   // root's "name" is the whole root path
    bool cacheTag = false;      // holds a CACHEDIR.TAG with its signature
};

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

    // The folders from the root (entry 0) down to `folder` (the last entry),
    // as the walk holds them: valid only while the record is being handled.
    // Consumers that keep something per folder compare serials to learn
    // which of their folders are still on the way, so that work per folder
    // does not grow with its depth. Null in records not made by a walk.
    const WalkFolder *chain = nullptr;
    int chainLength = 0;
};
