#pragma once

#include <QByteArray>
#include <cstdint>

// Size of the file system holding a path. Free bytes are those an
// unprivileged user may still fill (root's reserve left out): what the user
// can get back. Unused bytes are all free blocks, reserve included, so that
// total minus unused is what the files really occupy.
struct DiskSpace
{
    bool ok = false;
    std::int64_t totalBytes = 0;
    std::int64_t freeBytes = 0;
    std::int64_t unusedBytes = 0;
    // Files, folders and links the file system holds (its inodes in use);
    // 0 where it does not count them (btrfs, FAT).
    std::int64_t entriesInUse = 0;
    std::int64_t UsedBytes() const { return totalBytes - freeBytes; }
    std::int64_t BytesInUse() const { return totalBytes - unusedBytes; }
};

class CDiskSpace
{
public:
    static DiskSpace Query(const QByteArray &path);
    // The same once the file system has settled what it owes: btrfs gives
    // freed blocks back only when its transaction commits, xfs when its
    // background inode work has run, so their figure is read after
    // flushing them (syncfs) until it holds still; elsewhere as Query.
    static DiskSpace QuerySettled(const QByteArray &path);
};
