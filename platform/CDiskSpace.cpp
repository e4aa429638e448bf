#include "platform/CDiskSpace.h"

#include "platform/CFileSystemInfo.h"

#include <cerrno>
#include <limits>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

std::int64_t Bytes(unsigned long long blocks, unsigned long long blockSize)
{
    constexpr unsigned long long kMax = std::numeric_limits<std::int64_t>::max();
    if (blockSize != 0 && blocks > kMax / blockSize)
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(blocks * blockSize);
}

} // namespace

DiskSpace CDiskSpace::Query(const QByteArray &path)
{
    DiskSpace space;
    struct statvfs info {};
    int rc;
    do {
        rc = ::statvfs(path.constData(), &info);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0)
        return space;
    const unsigned long long unit = info.f_frsize ? info.f_frsize : info.f_bsize;
    space.ok = true;
    space.totalBytes = Bytes(info.f_blocks, unit);
    space.freeBytes = Bytes(info.f_bavail, unit);
    space.unusedBytes = Bytes(info.f_bfree, unit);
    if (info.f_files > info.f_ffree)
        space.entriesInUse = Bytes(info.f_files - info.f_ffree, 1); // clamped as bytes are
    return space;
}

DiskSpace CDiskSpace::QuerySettled(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || !CFileSystemInfo::QueryOpen(fd).canShareExtents) {
        if (fd >= 0)
            ::close(fd);
        return Query(path);
    }
    // A flush commits btrfs's transaction; xfs frees removed files' blocks
    // in background work a flush does not wait for. The figure is taken
    // once two flushed readings a little apart agree (a second at most).
    DiskSpace last;
    for (int round = 0; round < 40; ++round) {
        ::syncfs(fd);
        const DiskSpace now = Query(path);
        if (round > 0 && now.ok && last.ok && now.unusedBytes == last.unusedBytes && now.freeBytes == last.freeBytes) {
            last = now;
            break;
        }
        last = now;
        ::usleep(25000);
    }
    ::close(fd);
    return last;
}
