#include "platform/CDirectoryWalker.h"

#include "platform/CMountInfo.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// Large enough that most folders are listed in one system call.
constexpr long kEntryBufferSize = 32 * 1024;

// Serials of walked folders, unique across walks and walkers.
std::atomic<std::uint64_t> g_nextFolderSerial{1};

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

void CDirectoryWalker::CloseAll()
{
    m_chain.Clear();
    m_levels.clear();
    m_path.clear();
    m_record.chain = nullptr;
    m_record.chainLength = 0;
}

bool CDirectoryWalker::IsOnRootMount(const struct statx &st) const
{
    // The mount id decides where there is one: a bind mount of a folder of
    // the same file system has the same device, and on an overlay whose
    // layers lie on different file systems every file reports the device of
    // its layer, not that of the mount.
    if (m_bHaveMountId && (st.stx_mask & STATX_MNT_ID))
        return st.stx_mnt_id == m_rootMountId;
    return makedev(st.stx_dev_major, st.stx_dev_minor) == m_rootDevice;
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

bool CDirectoryWalker::ReadListing(int fd, std::vector<char> &listing)
{
    if (m_readBuffer.empty())
        m_readBuffer.resize(kEntryBufferSize);
    for (;;) {
        const long read = ::syscall(SYS_getdents64, fd, m_readBuffer.data(), kEntryBufferSize);
        if (read == 0)
            return true;
        if (read < 0)
            return false; // what was listed so far is still walked
        for (long pos = 0; pos < read;) {
            const auto *entry = reinterpret_cast<const LinuxDirent64 *>(m_readBuffer.data() + pos);
            pos += entry->d_reclen;
            const unsigned char type = entry->d_type;
            if (IsDots(entry->d_name))
                continue;
            if (type != DT_DIR && type != DT_REG && type != DT_LNK && type != DT_UNKNOWN)
                continue; // devices, pipes and sockets are not files to clean up
            const std::size_t length = std::strlen(entry->d_name);
            listing.push_back(char(type));
            listing.insert(listing.end(), entry->d_name, entry->d_name + length + 1);
        }
    }
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
    if (::statx(rootFd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_INO | STATX_MNT_ID, &st) != 0) {
        ::close(rootFd);
        return Result::RootUnavailable;
    }
    m_rootDevice = makedev(st.stx_dev_major, st.stx_dev_minor);
    m_bHaveMountId = (st.stx_mask & STATX_MNT_ID) != 0;
    m_rootMountId = m_bHaveMountId ? st.stx_mnt_id : 0;
    LoadMountPoints(rootPath);

    m_record.folder = rootPath;
    m_chain.AdoptRoot(rootFd, m_rootDevice, st.stx_ino);
    m_levels.emplace_back();
    if (!ReadListing(rootFd, m_levels.back().listing))
        ++m_nSkippedFolders;
    m_path.push_back(WalkFolder{g_nextFolderSerial.fetch_add(1), 0, rootPath.size()});
    if (m_onFolder)
        m_onFolder(m_record.folder);

    while (!m_levels.empty()) {
        Level &level = m_levels.back();
        if (level.pos >= level.listing.size()) {
            LeaveFolder();
            continue;
        }
        const unsigned char type = static_cast<unsigned char>(level.listing[level.pos]);
        const char *name = level.listing.data() + level.pos + 1;
        const std::size_t nameLength = std::strlen(name);
        level.pos += nameLength + 2;

        if (m_isCancelled && m_isCancelled()) {
            CloseAll();
            return Result::Cancelled;
        }
        if (type == DT_DIR && m_bKnowMountPoints) {
            // Mount points are known from the mount table, so a folder needs
            // no statx before it is opened; a folder that turns out not to be
            // one fails to open, and the opened folder's own mount is checked.
            EnterFolder(name, nameLength); // may grow m_levels: `level` and `name` are stale after this
            continue;
        }
        FileOpResult reopened;
        const int fd = m_chain.GetLastFd(reopened);
        if (fd < 0) {
            // The folder was closed to spare descriptors and is not there any
            // more as it was: the rest of it cannot be reached.
            ++m_nSkippedFolders;
            level.pos = level.listing.size();
            continue;
        }
        // The listing may be stale by now: what counts is what statx finds.
        if (::statx(fd, name, kStatFlags, kWantedFields, &st) != 0)
            continue;
        if (!IsOnRootMount(st))
            continue;
        if (S_ISDIR(st.stx_mode))
            EnterFolder(name, nameLength); // may grow m_levels: `level` and `name` are stale after this
        else if (S_ISREG(st.stx_mode) || S_ISLNK(st.stx_mode))
            ReportFile(name, nameLength, st);
    }
    CloseAll();
    return Result::Completed;
}

void CDirectoryWalker::LeaveFolder()
{
    m_record.folder.truncate(m_levels.back().parentPathLength);
    m_levels.pop_back();
    m_path.pop_back();
    m_chain.Truncate(int(m_levels.size()));
}

void CDirectoryWalker::EnterFolder(const char *name, std::size_t nameLength)
{
    QByteArray &path = m_record.folder;
    const qsizetype parentLength = path.size();
    if (!path.endsWith('/'))
        path += '/';
    const qsizetype nameBegin = path.size();
    path.append(name, qsizetype(nameLength));
    // Checked before opening: a dead network mount must not even be touched.
    if (IsMountPoint(path)) {
        path.truncate(parentLength);
        return;
    }
    FileOpResult reopened;
    const int parentFd = m_chain.GetLastFd(reopened);
    if (parentFd < 0) {
        ++m_nSkippedFolders;
        path.truncate(parentLength);
        m_levels.back().pos = m_levels.back().listing.size();
        return;
    }
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(parentFd, name, flags);
    if (fd < 0 && (errno == EMFILE || errno == ENFILE)) {
        m_chain.MakeRoom();
        fd = ::openat(parentFd, name, flags);
    }
    if (fd < 0) {
        // Gone or replaced by a file or a link since it was listed: nothing
        // was missed. Anything else is a folder we could not read.
        if (errno != ENOENT && errno != ENOTDIR && errno != ELOOP)
            ++m_nSkippedFolders;
        path.truncate(parentLength);
        return;
    }
    struct statx st;
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_INO | STATX_MNT_ID, &st) != 0 || !IsOnRootMount(st)) {
        // Another mount: one the table did not name (an odd name, or
        // mounted since the walk began). Its files are not this drive's.
        ::close(fd);
        path.truncate(parentLength);
        return;
    }
    Level level;
    level.parentPathLength = parentLength;
    if (!ReadListing(fd, level.listing))
        ++m_nSkippedFolders;
    m_chain.PushOpen(QByteArray(name, qsizetype(nameLength)), fd, makedev(st.stx_dev_major, st.stx_dev_minor),
                     st.stx_ino);
    m_levels.push_back(std::move(level));
    m_path.push_back(WalkFolder{g_nextFolderSerial.fetch_add(1), nameBegin, qsizetype(nameLength)});
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
    m_record.chain = m_path.data();
    m_record.chainLength = int(m_path.size());
    m_onFile(m_record);
}
