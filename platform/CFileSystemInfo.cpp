#include "platform/CFileSystemInfo.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// File systems whose files may own blocks together: btrfs and xfs share
// extents between reflinked copies (and btrfs with its snapshots), bcachefs
// the same; ocfs2 has reflinks too.
constexpr std::uint64_t kBcachefsMagic = 0xca451a4e;
constexpr std::uint64_t kOcfs2Magic = 0x7461636f;

bool SharesExtents(std::uint64_t type)
{
    return type == BTRFS_SUPER_MAGIC || type == XFS_SUPER_MAGIC || type == kBcachefsMagic || type == kOcfs2Magic;
}

} // namespace

FileSystemInfo CFileSystemInfo::QueryOpen(int fd)
{
    FileSystemInfo info;
    struct statx st;
    struct statfs fs;
    if (fd < 0 || ::statx(fd, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, STATX_INO | STATX_MNT_ID, &st) != 0
        || ::fstatfs(fd, &fs) != 0)
        return info;
    info.ok = true;
    info.device = makedev(st.stx_dev_major, st.stx_dev_minor);
    info.mountId = (st.stx_mask & STATX_MNT_ID) ? st.stx_mnt_id : 0;
    info.type = std::uint64_t(fs.f_type) & 0xffffffffu;
    info.canShareExtents = SharesExtents(info.type);
    info.isBtrfs = info.type == BTRFS_SUPER_MAGIC;
    return info;
}

FileSystemInfo CFileSystemInfo::Query(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        return FileSystemInfo();
    const FileSystemInfo info = QueryOpen(fd);
    ::close(fd);
    return info;
}
