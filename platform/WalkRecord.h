#pragma once

#include "platform/FileIdentity.h"
#include "platform/SharedExtent.h"

#include <QByteArray>
#include <cstdint>
#include <sys/types.h>
#include <vector>

// One folder on the way from the walk's root down to a file's folder, with
// what the walk's own statx of it said when it was entered: who may change
// its entries, and when it last changed.
struct WalkFolder
{
    std::uint64_t serial = 0;   // never given to two folders, in any walk of this process
    qsizetype nameBegin = 0;    // where its name lies in WalkRecord::folder; the
    qsizetype nameLength = 0;   // root's "name" is the whole root path
    dev_t device = 0;
    ino_t inode = 0;
    std::uint32_t mode = 0;       // type and permission bits
    std::uint32_t ownerId = 0;
    std::uint32_t groupId = 0;
    std::uint64_t attributes = 0; // statx attributes: immutable, append-only...
    std::int64_t modifiedTime = 0;
    std::int64_t changeTime = 0;
    bool cacheTag = false;      // holds a CACHEDIR.TAG with its signature
    bool configListed = false;  // lists a file named "config", as a backup repository does
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
    std::int64_t changeTime = 0;    // last change of the inode: a rename, chmod, or an unpacked tree
    dev_t device = 0;
    ino_t inode = 0;
    FileIdentity identity;            // everything an action compares before it acts
    std::int64_t allocatedBytes = 0;  // blocks on disk x 512: what removing the file can free
    std::uint32_t linkCount = 1;
    std::uint32_t ownerId = 0;
    std::uint64_t attributes = 0;     // statx attributes: immutable, append-only...
    // False while the walk has reported the file by its listed name and
    // type alone, before asking the kernel about it: every fact above
    // from `size` on is then zero (see CDirectoryWalker::LookAtFile).
    bool looked = true;
    // Runs of its data other files or snapshots may own too, on a file
    // system that shares data; filled by the scan for files that matched,
    // never by the walk.
    std::vector<SharedExtent> sharedExtents;

    // The folders from the root (entry 0) down to `folder` (the last entry),
    // as the walk holds them: valid only while the record is being handled.
    // Consumers that keep something per folder compare serials to learn
    // which of their folders are still on the way, so that work per folder
    // does not grow with its depth. Null in records not made by a walk.
    const WalkFolder *chain = nullptr;
    int chainLength = 0;
};
