#pragma once

#include <QByteArray>
#include <cstdint>

// Size of the file system holding a path, as the user sees it: free bytes are
// those an unprivileged user may still fill (root's reserve left out).
struct DiskSpace
{
    bool ok = false;
    std::int64_t totalBytes = 0;
    std::int64_t freeBytes = 0;
    std::int64_t UsedBytes() const { return totalBytes - freeBytes; }
};

class CDiskSpace
{
public:
    static DiskSpace Query(const QByteArray &path);
};
