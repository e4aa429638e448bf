#include "platform/CFileExtents.h"

#include "platform/WalkRecord.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <linux/openat2.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr unsigned kExtentsPerCall = 64;
// Data the file system holds no address for, or has not placed yet: it
// cannot be matched with another owner's, and data not yet placed is the
// file's own.
constexpr std::uint32_t kNoAddress = FIEMAP_EXTENT_UNKNOWN | FIEMAP_EXTENT_DELALLOC;
constexpr std::uint32_t kInline = FIEMAP_EXTENT_DATA_INLINE | FIEMAP_EXTENT_DATA_TAIL | FIEMAP_EXTENT_NOT_ALIGNED;

} // namespace

CFileExtents::CFileExtents(const QByteArray &driveRoot) : m_strRoot(driveRoot)
{
    while (m_strRoot.size() > 1 && m_strRoot.endsWith('/'))
        m_strRoot.chop(1);
    m_rootFd = ::open(m_strRoot.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct statx st;
    if (m_rootFd >= 0 && ::statx(m_rootFd, "", AT_EMPTY_PATH, STATX_MNT_ID, &st) == 0 && (st.stx_mask & STATX_MNT_ID))
        m_rootMountId = st.stx_mnt_id;
}

CFileExtents::~CFileExtents()
{
    if (m_rootFd >= 0)
        ::close(m_rootFd);
}

int CFileExtents::OpenBelowRoot(const QByteArray &relative)
{
    // Non-blocking, so that a pipe put in the file's place cannot hold us.
    int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (m_bNoAtime ? O_NOATIME : 0);
    for (;;) {
        int fd;
        if (m_bHaveOpenat2) {
            struct open_how how;
            std::memset(&how, 0, sizeof how);
            how.flags = std::uint64_t(flags);
            how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_NO_XDEV;
            fd = int(::syscall(SYS_openat2, m_rootFd, relative.constData(), &how, sizeof how));
            if (fd < 0 && errno == ENOSYS) {
                m_bHaveOpenat2 = false;
                continue;
            }
        } else {
            fd = ::openat(m_rootFd, relative.constData(), flags);
        }
        // Only the owner (or root) may open without changing the access
        // time; anyone else opens as usual, and reading a map does not
        // change it either.
        if (fd < 0 && errno == EPERM && (flags & O_NOATIME)) {
            flags &= ~O_NOATIME;
            m_bNoAtime = false;
            continue;
        }
        return fd;
    }
}

CFileExtents::Result CFileExtents::ReadShared(const WalkRecord &record, std::vector<SharedExtent> &shared)
{
    shared.clear();
    if (m_rootFd < 0)
        return Result::Unavailable;
    // The path below the root, as the walk names it.
    const QByteArray &folder = record.folder;
    m_relative.clear();
    if (m_strRoot == "/") {
        if (!folder.startsWith('/'))
            return Result::Unavailable;
        m_relative.append(folder.constData() + 1, folder.size() - 1);
    } else {
        if (!folder.startsWith(m_strRoot) || (folder.size() > m_strRoot.size() && folder[m_strRoot.size()] != '/'))
            return Result::Unavailable;
        if (folder.size() > m_strRoot.size())
            m_relative.append(folder.constData() + m_strRoot.size() + 1, folder.size() - m_strRoot.size() - 1);
    }
    if (!m_relative.isEmpty())
        m_relative += '/';
    m_relative += record.name;

    const int fd = OpenBelowRoot(m_relative);
    if (fd < 0)
        return errno == ELOOP || errno == EXDEV || errno == ENOENT ? Result::Changed : Result::Unavailable;
    struct statx st;
    Result result = Result::Changed;
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT,
                STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_BTIME | STATX_MNT_ID, &st)
        == 0) {
        const bool sameMount = !(st.stx_mask & STATX_MNT_ID) || m_rootMountId == 0 || st.stx_mnt_id == m_rootMountId;
        if (S_ISREG(st.stx_mode) && sameMount && record.identity.SameFile(FileIdentity::FromStatx(st)))
            result = ReadSharedOpen(fd, shared) ? Result::Read : Result::Unavailable;
    }
    ::close(fd);
    if (result != Result::Read)
        shared.clear();
    return result;
}

bool CFileExtents::ReadSharedOpen(int fd, std::vector<SharedExtent> &shared)
{
    shared.clear();
    alignas(struct fiemap) char buffer[sizeof(struct fiemap) + kExtentsPerCall * sizeof(struct fiemap_extent)];
    auto *map = reinterpret_cast<struct fiemap *>(buffer);
    std::uint64_t next = 0;
    for (;;) {
        std::memset(map, 0, sizeof(struct fiemap));
        map->fm_start = next;
        map->fm_length = FIEMAP_MAX_OFFSET - next;
        map->fm_extent_count = kExtentsPerCall;
        if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0)
            return false;
        if (map->fm_mapped_extents == 0)
            return true;
        for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
            const struct fiemap_extent &extent = map->fm_extents[i];
            next = extent.fe_logical + extent.fe_length;
            if (!(extent.fe_flags & FIEMAP_EXTENT_SHARED) || (extent.fe_flags & kNoAddress))
                continue;
            const std::uint64_t physical = (extent.fe_flags & kInline) ? 0 : extent.fe_physical;
            // One run the file system reports in pieces is one run here.
            if (!shared.empty() && physical != 0 && shared.back().physical != 0
                && shared.back().physical + shared.back().length == physical)
                shared.back().length += extent.fe_length;
            else
                shared.push_back(SharedExtent{physical, extent.fe_length});
            if (extent.fe_flags & FIEMAP_EXTENT_LAST)
                return true;
        }
        if (map->fm_extents[map->fm_mapped_extents - 1].fe_flags & FIEMAP_EXTENT_LAST)
            return true;
    }
}
