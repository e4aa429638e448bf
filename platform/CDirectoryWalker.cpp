#include "platform/CDirectoryWalker.h"

#include "platform/CMountInfo.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// Large enough that most folders are listed in one system call.
constexpr long kEntryBufferSize = 32 * 1024;

// What the kernel writes for each entry of getdents64.
struct LinuxDirent64
{
    std::uint64_t d_ino;
    std::int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

constexpr unsigned kWantedFields = STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_SIZE | STATX_BLOCKS | STATX_ATIME | STATX_MTIME
                                   | STATX_CTIME | STATX_BTIME | STATX_MNT_ID;
// Never trigger an automount, and take cached attributes on network file
// systems rather than a round trip per file.
constexpr int kStatFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;

bool IsDots(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

CDirectoryWalker::CDirectoryWalker() = default;

CDirectoryWalker::~CDirectoryWalker()
{
    CloseAll();
}

char *CDirectoryWalker::BufferForDepth(std::size_t depth)
{
    while (m_buffers.size() <= depth)
        m_buffers.push_back(std::make_unique<char[]>(kEntryBufferSize));
    return m_buffers[depth].get();
}

void CDirectoryWalker::CloseAll()
{
    for (const Level &level : m_levels)
        ::close(level.fd);
    m_levels.clear();
}

bool CDirectoryWalker::IsOnRootMount(const struct statx &st) const
{
    if (makedev(st.stx_dev_major, st.stx_dev_minor) != m_rootDevice)
        return false;
    // A bind mount of a folder of the same file system has the same device:
    // only the mount id tells it apart.
    return !m_bHaveMountId || !(st.stx_mask & STATX_MNT_ID) || st.stx_mnt_id == m_rootMountId;
}

void CDirectoryWalker::LoadMountPoints(const QByteArray &rootPath)
{
    m_mountPoints.clear();
    m_bKnowMountPoints = false;
    m_nRootLength = rootPath == "/" ? 0 : int(rootPath.size());
    // The mount table names real paths; the root may have been given through a link.
    char *real = ::realpath(rootPath.constData(), nullptr);
    if (!real)
        return;
    QByteArray canonical(real);
    std::free(real);
    const QByteArray table = CMountInfo::ReadSystem();
    if (table.isEmpty())
        return;
    if (canonical == "/")
        canonical.clear();
    for (const MountEntry &mount : CMountInfo::Parse(table)) {
        if (mount.mountPoint.size() > canonical.size() + 1 && mount.mountPoint.startsWith(canonical + '/'))
            m_mountPoints.insert(mount.mountPoint.mid(canonical.size()));
    }
    m_bKnowMountPoints = true;
}

bool CDirectoryWalker::IsMountPoint(const QByteArray &path) const
{
    if (m_mountPoints.isEmpty())
        return false;
    const QByteArray relative = QByteArray::fromRawData(path.constData() + m_nRootLength, path.size() - m_nRootLength);
    return m_mountPoints.contains(relative);
}

int CDirectoryWalker::OpenFolderAt(int parentFd, const char *name)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(parentFd, name, flags);
    if (fd < 0 && errno == EMFILE && !m_bRaisedFileLimit) {
        // One descriptor per level of depth: a very deep tree may need more
        // than the default soft limit, so take what the hard limit allows once.
        m_bRaisedFileLimit = true;
        struct rlimit limit;
        if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
            limit.rlim_cur = limit.rlim_max;
            if (::setrlimit(RLIMIT_NOFILE, &limit) == 0)
                fd = ::openat(parentFd, name, flags);
        }
    }
    return fd;
}

CDirectoryWalker::Result CDirectoryWalker::Walk(const QByteArray &root)
{
    CloseAll();
    m_nSkippedFolders = 0;

    QByteArray rootPath = root;
    while (rootPath.size() > 1 && rootPath.endsWith('/'))
        rootPath.chop(1);
    if (rootPath.isEmpty() || rootPath.contains('\0'))
        return Result::RootUnavailable;

    const int rootFd = ::open(rootPath.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (rootFd < 0)
        return Result::RootUnavailable;
    struct statx st;
    if (::statx(rootFd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_MNT_ID, &st) != 0) {
        ::close(rootFd);
        return Result::RootUnavailable;
    }
    m_rootDevice = makedev(st.stx_dev_major, st.stx_dev_minor);
    m_bHaveMountId = (st.stx_mask & STATX_MNT_ID) != 0;
    m_rootMountId = m_bHaveMountId ? st.stx_mnt_id : 0;
    LoadMountPoints(rootPath);

    m_record.folder = rootPath;
    m_levels.push_back(Level{rootFd, 0, 0, 0, BufferForDepth(0)});
    if (m_onFolder)
        m_onFolder(m_record.folder);

    while (!m_levels.empty()) {
        Level &level = m_levels.back();
        if (level.pos >= level.used) {
            const long read = ::syscall(SYS_getdents64, level.fd, level.buffer, kEntryBufferSize);
            if (read <= 0) {
                // The end of the folder, or a folder that went away while we
                // read it: what was listed so far has been reported.
                if (read < 0)
                    ++m_nSkippedFolders;
                ::close(level.fd);
                m_record.folder.truncate(level.parentPathLength);
                m_levels.pop_back();
                continue;
            }
            level.used = read;
            level.pos = 0;
        }
        const auto *entry = reinterpret_cast<const LinuxDirent64 *>(level.buffer + level.pos);
        level.pos += entry->d_reclen;

        if (m_isCancelled && m_isCancelled()) {
            CloseAll();
            return Result::Cancelled;
        }
        const char *name = entry->d_name;
        if (IsDots(name))
            continue;
        const unsigned char type = entry->d_type;
        if (type != DT_DIR && type != DT_REG && type != DT_LNK && type != DT_UNKNOWN)
            continue; // devices, pipes and sockets are not files to clean up

        if (type == DT_DIR && m_bKnowMountPoints) {
            // Mount points are known from the mount table, so a folder needs
            // no statx; a folder that turns out not to be one fails to open.
            // Files are always checked, so nothing on another mount is listed
            // even if one appears during the walk.
            EnterFolder(level.fd, name, std::strlen(name)); // may grow m_levels: `level` is stale after this
            continue;
        }
        // The listing may be stale by now: what counts is what statx finds.
        if (::statx(level.fd, name, kStatFlags, kWantedFields, &st) != 0)
            continue;
        if (!IsOnRootMount(st))
            continue;
        const std::size_t nameLength = std::strlen(name);
        if (S_ISDIR(st.stx_mode))
            EnterFolder(level.fd, name, nameLength); // may grow m_levels: `level` is stale after this
        else if (S_ISREG(st.stx_mode) || S_ISLNK(st.stx_mode))
            ReportFile(name, nameLength, st);
    }
    return Result::Completed;
}

void CDirectoryWalker::EnterFolder(int parentFd, const char *name, std::size_t nameLength)
{
    QByteArray &path = m_record.folder;
    const int parentLength = int(path.size());
    if (!path.endsWith('/'))
        path += '/';
    path.append(name, qsizetype(nameLength));
    // Checked before opening: a dead network mount must not even be touched.
    if (IsMountPoint(path)) {
        path.truncate(parentLength);
        return;
    }
    const int fd = OpenFolderAt(parentFd, name);
    if (fd < 0) {
        ++m_nSkippedFolders;
        path.truncate(parentLength);
        return;
    }
    m_levels.push_back(Level{fd, parentLength, 0, 0, BufferForDepth(m_levels.size())});
    if (m_onFolder)
        m_onFolder(path);
}

void CDirectoryWalker::ReportFile(const char *name, std::size_t nameLength, const struct statx &st)
{
    if (!m_onFile)
        return;
    // Reuses the name's storage from the previous file unless a handler kept it.
    m_record.name.resize(qsizetype(nameLength));
    std::memcpy(m_record.name.data(), name, nameLength);
    m_record.size = std::int64_t(st.stx_size);
    m_record.modifiedTime = st.stx_mtime.tv_sec;
    m_record.accessedTime = st.stx_atime.tv_sec;
    if (st.stx_mask & STATX_BTIME)
        m_record.creationTime = st.stx_btime.tv_sec;
    else
        m_record.creationTime = std::min(st.stx_mtime.tv_sec, st.stx_ctime.tv_sec);
    m_record.device = makedev(st.stx_dev_major, st.stx_dev_minor);
    m_record.inode = st.stx_ino;
    m_record.identity = FileIdentity::FromStatx(st);
    m_record.allocatedBytes = std::int64_t(st.stx_blocks) * 512;
    m_record.linkCount = st.stx_nlink;
    m_onFile(m_record);
}
