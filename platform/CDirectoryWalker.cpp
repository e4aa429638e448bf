#include "platform/CDirectoryWalker.h"

#include "platform/CacheDirTag.h"
#include "platform/CMountInfo.h"
#include "platform/CPathInfo.h"
#include "platform/CReaderCount.h"
#include "platform/DirectoryEntries.h"

#include <algorithm>
#include <atomic>
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

// Serials of walked folders, unique across walks and walkers.
std::atomic<std::uint64_t> g_nextFolderSerial{1};

// Descriptors the readers may hold at once: a share of what the process
// may open, leaving the rest to the walk's own chain and to the program.
int ReaderDescriptorBudget()
{
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 256;
    return int(std::clamp<rlim_t>(limit.rlim_cur / 4, 2, 256));
}

// Gone, or replaced by a file or a link, since it was listed: nothing was
// missed. Any other failure is a folder that could not be read.
bool IsUnreadableFolder(int error)
{
    return error != ENOENT && error != ENOTDIR && error != ELOOP;
}

} // namespace

using namespace DirectoryEntries;

CDirectoryWalker::CDirectoryWalker() = default;

CDirectoryWalker::~CDirectoryWalker()
{
    EndWalk();
}

void CDirectoryWalker::EndWalk()
{
    // The readers stop first, so that nothing else holds a folder; the
    // folders go next, as their descriptors count down in the read-ahead.
    if (m_readAhead)
        m_readAhead->Stop();
    CloseAll();
    m_readAhead.reset();
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
    QByteArray canonical = CPathInfo::Canonical(rootPath);
    if (canonical.isEmpty())
        return;
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

bool CDirectoryWalker::ReadListing(int fd, Level &level)
{
    std::vector<char> &listing = level.listing;
    if (m_readBuffer.empty())
        m_readBuffer.resize(kBufferSize);
    for (;;) {
        const long read = ::syscall(SYS_getdents64, fd, m_readBuffer.data(), kBufferSize);
        if (read == 0)
            return true;
        if (read < 0)
            return false; // what was listed so far is still walked
        for (long pos = 0; pos < read;) {
            const auto *entry = reinterpret_cast<const LinuxDirent64 *>(m_readBuffer.data() + pos);
            pos += entry->d_reclen;
            const unsigned char type = entry->d_type;
            if (IsDots(entry->d_name) || !IsWalkedType(type))
                continue;
            const std::size_t length = std::strlen(entry->d_name);
            if (type != DT_DIR && CacheDirTag::IsTagName(entry->d_name, length))
                level.cacheTagListed = true;
            listing.push_back(char(type));
            listing.insert(listing.end(), entry->d_name, entry->d_name + length + 1);
        }
    }
}

CDirectoryWalker::Result CDirectoryWalker::Walk(const QByteArray &root)
{
    EndWalk();
    m_nSkippedFolders = 0;
    m_nReadersUsed = 1;
    m_nFoldersReadAhead = 0;

    QByteArray rootPath = root;
    while (rootPath.size() > 1 && rootPath.endsWith('/'))
        rootPath.chop(1);
    if (rootPath.isEmpty() || rootPath.contains('\0'))
        return Result::RootUnavailable;

    const int rootFd = ::open(rootPath.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (rootFd < 0)
        return Result::RootUnavailable;
    struct statx st;
    if (::statx(rootFd, "", AT_EMPTY_PATH, kFolderFields, &st) != 0) {
        ::close(rootFd);
        return Result::RootUnavailable;
    }
    m_rootDevice = makedev(st.stx_dev_major, st.stx_dev_minor);
    m_bHaveMountId = (st.stx_mask & STATX_MNT_ID) != 0;
    m_rootMountId = m_bHaveMountId ? st.stx_mnt_id : 0;
    LoadMountPoints(rootPath);

    m_record.folder = rootPath;
    m_chain.SetOpenLimit(m_nOpenLimit > 0 ? m_nOpenLimit : CFolderChain::DefaultOpenLimit());
    m_chain.AdoptRoot(rootFd, m_rootDevice, st.stx_ino);
    const int readers = m_nReaders > 0 ? m_nReaders : CReaderCount::ForDrive(m_rootDevice, m_rootMountId);
    if (readers > 1) {
        StartReadAhead(readers);
    } else {
        m_levels.emplace_back();
        if (!ReadListing(rootFd, m_levels.back()))
            ++m_nSkippedFolders;
    }
    WalkFolder rootFolder = FolderFacts(st);
    rootFolder.serial = g_nextFolderSerial.fetch_add(1);
    rootFolder.nameLength = rootPath.size();
    m_path.push_back(rootFolder);
    m_path.back().cacheTag = IsTaggedCache(m_levels.back());
    if (m_onFolder)
        m_onFolder(m_record.folder);

    while (!m_levels.empty()) {
        if (!Step()) {
            EndWalk();
            return Result::Cancelled;
        }
    }
    EndWalk();
    return Result::Completed;
}

bool CDirectoryWalker::Step()
{
    Level &level = m_levels.back();
    if (level.node)
        return StepReadAhead();
    if (level.pos >= level.listing.size()) {
        LeaveFolder();
        return true;
    }
    const unsigned char type = static_cast<unsigned char>(level.listing[level.pos]);
    const char *name = level.listing.data() + level.pos + 1;
    const std::size_t nameLength = std::strlen(name);
    level.pos += nameLength + 2;

    if (m_isCancelled && m_isCancelled())
        return false;
    if (type == DT_DIR && m_bKnowMountPoints) {
        // Mount points are known from the mount table, so a folder needs
        // no statx before it is opened; a folder that turns out not to be
        // one fails to open, and the opened folder's own mount is checked.
        EnterFolder(name, nameLength); // may grow m_levels: `level` and `name` are stale after this
        return true;
    }
    FileOpResult reopened;
    const int fd = m_chain.GetLastFd(reopened);
    if (fd < 0) {
        // The folder was closed to spare descriptors and is not there any
        // more as it was: the rest of it cannot be reached.
        AbandonFolder();
        return true;
    }
    // The listing may be stale by now: what counts is what statx finds.
    struct statx st;
    if (StatEntry(fd, name, st) != 0) {
        // A file that cannot be looked at leaves its folder not read whole.
        if (IsUnreadableEntry(errno) && !level.countedUnreadable) {
            level.countedUnreadable = true;
            ++m_nSkippedFolders;
        }
        return true;
    }
    if (!IsOnRootMount(st))
        return true;
    if (S_ISDIR(st.stx_mode))
        EnterFolder(name, nameLength); // may grow m_levels: `level` and `name` are stale after this
    else if (S_ISREG(st.stx_mode) || S_ISLNK(st.stx_mode))
        ReportFile(name, nameLength, st);
    return true;
}

void CDirectoryWalker::StartReadAhead(int readers)
{
    CFolderReadAhead::Settings settings;
    settings.readers = readers;
    settings.maxDescriptors = ReaderDescriptorBudget();
    settings.knowMountPoints = m_bKnowMountPoints;
    settings.mountPoints = m_mountPoints;
    settings.rootDevice = m_rootDevice;
    settings.rootMountId = m_rootMountId;
    settings.haveMountId = m_bHaveMountId;
    m_readAhead = std::make_unique<CFolderReadAhead>(std::move(settings));
    FileOpResult result;
    const int rootFd = m_chain.GetFd(0, result);
    Level level;
    level.node = m_readAhead->Start(rootFd);
    if (level.node->outcome != CFolderReadAhead::Outcome::Entered) {
        // Not even a descriptor to spare: the walk reads on its own.
        level.node.reset();
        m_readAhead.reset();
        if (!ReadListing(rootFd, level))
            ++m_nSkippedFolders;
    } else {
        m_nReadersUsed = readers;
        if (level.node->readFailed)
            ++m_nSkippedFolders;
    }
    m_levels.push_back(std::move(level));
}

bool CDirectoryWalker::StepReadAhead()
{
    Level &level = m_levels.back();
    const std::vector<char> &listing = level.node->listing;
    if (level.pos >= listing.size()) {
        LeaveFolder();
        return true;
    }
    // Every entry of the listing is met, even those with nothing to report,
    // so the cancel check is asked exactly as often as on one thread.
    const char kind = listing[level.pos];
    if (kind == CFolderReadAhead::kSkip) {
        ++level.pos;
        return !(m_isCancelled && m_isCancelled());
    }
    if (kind == CFolderReadAhead::kFile) {
        CFolderReadAhead::CompactStat compact;
        std::memcpy(&compact, listing.data() + level.pos + 1, sizeof compact);
        const char *name = listing.data() + level.pos + 1 + sizeof compact;
        const std::size_t nameLength = std::strlen(name);
        level.pos += 1 + sizeof compact + nameLength + 1;
        if (m_isCancelled && m_isCancelled())
            return false;
        struct statx st;
        compact.To(st);
        ReportFile(name, nameLength, st);
        return true;
    }
    const char *name = listing.data() + level.pos + 1;
    const std::size_t nameLength = std::strlen(name);
    level.pos += nameLength + 2;
    if (m_isCancelled && m_isCancelled())
        return false;
    EnterReadAhead(name, nameLength); // may grow m_levels; `name` lives in the node's listing
    return true;
}

void CDirectoryWalker::EnterReadAhead(const char *name, std::size_t nameLength)
{
    using Outcome = CFolderReadAhead::Outcome;
    Level &parent = m_levels.back();
    CFolderReadAhead::NodePtr child = std::move(parent.node->children[parent.nextChild++]);
    QByteArray &path = m_record.folder;
    qsizetype parentLength = 0;
    qsizetype nameBegin = 0;
    if (!AppendFolderName(name, nameLength, parentLength, nameBegin))
        return; // the readers never opened it either
    m_readAhead->Take(child);
    if (child->outcome == Outcome::OpenFailed) {
        if (IsUnreadableFolder(child->error))
            ++m_nSkippedFolders;
        path.truncate(parentLength);
        return;
    }
    if (child->outcome == Outcome::NotEntered) {
        path.truncate(parentLength);
        return;
    }
    const bool unchanged = child->outcome == Outcome::Entered && CFolderReadAhead::StillAsListed(*child);
    child->self.reset(); // what is read ahead below it keeps it open as long as needed
    if (!unchanged) {
        // Changed since it was listed (or the readers ran short of
        // descriptors): it and its subtree are read here, as they are now.
        m_readAhead->Discard(child);
        path.truncate(parentLength);
        EnterFolder(name, nameLength);
        return;
    }
    ++m_nFoldersReadAhead;
    Level level;
    level.parentPathLength = parentLength;
    if (child->readFailed) {
        level.countedUnreadable = true;
        ++m_nSkippedFolders;
    }
    m_chain.PushKnown(QByteArray(name, qsizetype(nameLength)), child->device, child->inode);
    const WalkFolder facts = child->facts;
    level.node = std::move(child);
    PushLevel(std::move(level), nameBegin, nameLength, facts);
}

void CDirectoryWalker::AbandonFolder()
{
    // The deepest folder was closed to spare descriptors and cannot be
    // opened again as the folder it was (renamed away, removed, replaced):
    // what is left of its listing cannot be reached, and it counts as a
    // folder that could not be read. Its listing is the read-ahead's when
    // it came read ahead, its own otherwise.
    Level &level = m_levels.back();
    level.pos = level.node ? level.node->listing.size() : level.listing.size();
    if (!level.countedUnreadable) {
        level.countedUnreadable = true;
        ++m_nSkippedFolders;
    }
}

void CDirectoryWalker::LeaveFolder()
{
    if (const CFolderReadAhead::NodePtr &node = m_levels.back().node) {
        // A reader may still hold the node for a moment; its listing is done with.
        std::vector<char>().swap(node->listing);
        node->children.clear();
    }
    m_record.folder.truncate(m_levels.back().parentPathLength);
    m_levels.pop_back();
    m_path.pop_back();
    m_chain.Truncate(int(m_levels.size()));
}

void CDirectoryWalker::EnterFolder(const char *name, std::size_t nameLength)
{
    QByteArray &path = m_record.folder;
    qsizetype parentLength = 0;
    qsizetype nameBegin = 0;
    if (!AppendFolderName(name, nameLength, parentLength, nameBegin))
        return;
    FileOpResult reopened;
    const int parentFd = m_chain.GetLastFd(reopened);
    if (parentFd < 0) {
        path.truncate(parentLength);
        AbandonFolder();
        return;
    }
    const int flags = kFolderOpenFlags;
    int fd = ::openat(parentFd, name, flags);
    for (int tries = 0; fd < 0 && (errno == EMFILE || errno == ENFILE) && tries < 4; ++tries) {
        m_chain.MakeRoom();
        fd = ::openat(parentFd, name, flags);
    }
    if (fd < 0) {
        if (IsUnreadableFolder(errno))
            ++m_nSkippedFolders;
        path.truncate(parentLength);
        return;
    }
    struct statx st;
    if (::statx(fd, "", AT_EMPTY_PATH, kFolderFields, &st) != 0 || !IsOnRootMount(st)) {
        // Another mount: one the table did not name (an odd name, or
        // mounted since the walk began). Its files are not this drive's.
        ::close(fd);
        path.truncate(parentLength);
        return;
    }
    Level level;
    level.parentPathLength = parentLength;
    if (!ReadListing(fd, level)) {
        level.countedUnreadable = true;
        ++m_nSkippedFolders;
    }
    m_chain.PushOpen(QByteArray(name, qsizetype(nameLength)), fd, makedev(st.stx_dev_major, st.stx_dev_minor),
                     st.stx_ino);
    PushLevel(std::move(level), nameBegin, nameLength, FolderFacts(st));
}

bool CDirectoryWalker::AppendFolderName(const char *name, std::size_t nameLength, qsizetype &parentLength,
                                        qsizetype &nameBegin)
{
    QByteArray &path = m_record.folder;
    parentLength = path.size();
    if (!path.endsWith('/'))
        path += '/';
    nameBegin = path.size();
    path.append(name, qsizetype(nameLength));
    // Checked before opening: a dead network mount must not even be touched.
    if (IsMountPoint(path)) {
        path.truncate(parentLength);
        return false;
    }
    return true;
}

void CDirectoryWalker::PushLevel(Level &&level, qsizetype nameBegin, std::size_t nameLength, WalkFolder facts)
{
    m_levels.push_back(std::move(level));
    facts.serial = g_nextFolderSerial.fetch_add(1);
    facts.nameBegin = nameBegin;
    facts.nameLength = qsizetype(nameLength);
    m_path.push_back(facts);
    m_path.back().cacheTag = IsTaggedCache(m_levels.back());
    if (m_onFolder)
        m_onFolder(m_record.folder);
}

bool CDirectoryWalker::IsTaggedCache(const Level &level)
{
    if (!(level.node ? level.node->cacheTagListed : level.cacheTagListed))
        return false;
    FileOpResult reopened;
    const int fd = m_chain.GetLastFd(reopened);
    return fd >= 0 && CacheDirTag::HasValidSignature(fd);
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
    m_record.changeTime = st.stx_ctime.tv_sec;
    if (st.stx_mask & STATX_BTIME)
        m_record.creationTime = st.stx_btime.tv_sec;
    else
        m_record.creationTime = std::min(st.stx_mtime.tv_sec, st.stx_ctime.tv_sec);
    m_record.device = makedev(st.stx_dev_major, st.stx_dev_minor);
    m_record.inode = st.stx_ino;
    m_record.identity = FileIdentity::FromStatx(st);
    m_record.allocatedBytes = std::int64_t(st.stx_blocks) * 512;
    m_record.linkCount = st.stx_nlink;
    m_record.ownerId = st.stx_uid;
    m_record.attributes = st.stx_attributes & st.stx_attributes_mask;
    m_record.chain = m_path.data();
    m_record.chainLength = int(m_path.size());
    m_onFile(m_record);
}
