#include "platform/CDirectoryWalker.h"

#include "platform/CacheDirTag.h"
#include "platform/CMountInfo.h"
#include "platform/CPathInfo.h"
#include "platform/CReaderCount.h"
#include "platform/DirectoryEntries.h"
#include "platform/LargeBlocks.h"

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

// Folders taken from the readers between two returns of their free pages.
// A return takes 1-10 ms; every 4,096 folders it costs a walk of a million
// files (100,000 folders) about 2 % of its time and spares it 2.5 MB of its
// peak (10,000: half the time and half the memory).
constexpr std::int64_t kFoldersBetweenReturns = 4096;

// Descriptors the readers may hold at once: a share of what the process
// may open, leaving the rest to the walk's own chain and to the program. At
// most twice the folders they may hold read ahead (each holds its own and
// may keep its parent's): a budget below that stops them before the folder
// limit does, and the walking thread then lists the folders itself (a
// quarter more of its time on a tree of small folders with 256).
int ReaderDescriptorBudget()
{
    constexpr rlim_t kMost = 2 * CFolderReadAhead::kMaxFoldersAhead;
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return int(kMost);
    return int(std::clamp<rlim_t>(limit.rlim_cur / 4, 2, kMost));
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
    CFolderReadAhead::Settings settings;
    settings.readers = readers > 1 ? readers : 0; // one reader is the walking thread itself
    settings.maxDescriptors = ReaderDescriptorBudget();
    settings.knowMountPoints = m_bKnowMountPoints;
    settings.mountPoints = m_mountPoints;
    settings.rootDevice = m_rootDevice;
    settings.rootMountId = m_rootMountId;
    settings.haveMountId = m_bHaveMountId;
    settings.beforeReading = m_readerHook;
    settings.lookAtFiles = m_bLookAtEveryFile;
    settings.hint = m_lookHint;
    m_readAhead = std::make_unique<CFolderReadAhead>(std::move(settings));
    m_nReadersUsed = std::max(readers, 1);
    m_bCancelledWaiting = false;

    Level level;
    level.node = ListRoot(rootFd);
    if (!level.node) {
        EndWalk();
        return Result::Cancelled;
    }
    if (level.node->read.readFailed) {
        level.countedUnreadable = true;
        ++m_nSkippedFolders;
    }
    m_levels.push_back(std::move(level));
    WalkFolder rootFolder = FolderFacts(st);
    rootFolder.serial = g_nextFolderSerial.fetch_add(1);
    rootFolder.nameLength = rootPath.size();
    m_path.push_back(rootFolder);
    m_path.back().cacheTag = IsTaggedCache(m_levels.back());
    m_path.back().configListed = m_levels.back().node->read.configListed;
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
    const std::vector<char> &listing = level.node->read.entries;
    if (level.pos >= listing.size()) {
        LeaveFolder();
        return true;
    }
    // Every entry of the listing is met, even those with nothing to report,
    // so the cancel check is asked as often however the folder was read.
    const char kind = listing[level.pos];
    if (kind == CFolderReadAhead::kSkip) {
        ++level.pos;
        return !(m_isCancelled && m_isCancelled());
    }
    const char *data = listing.data() + level.pos + 1;
    CFolderReadAhead::CompactStat compact;
    unsigned char listedType = DT_UNKNOWN;
    if (kind == CFolderReadAhead::kFile) {
        std::memcpy(&compact, data, sizeof compact);
        data += sizeof compact;
    } else if (kind == CFolderReadAhead::kUnseen) {
        listedType = static_cast<unsigned char>(*data++);
    }
    const char *name = data;
    const std::size_t nameLength = std::strlen(name);
    level.pos = std::size_t(name + nameLength + 1 - listing.data());
    if (m_isCancelled && m_isCancelled())
        return false;
    // The name lives in the node's listing, which stays while the walk is
    // below it; `level` may not, as m_levels grows.
    if (kind == CFolderReadAhead::kFile) {
        struct statx st;
        compact.To(st);
        ReportFile(name, nameLength, st);
    } else if (kind == CFolderReadAhead::kFolder) {
        std::vector<CFolderReadAhead::NodePtr> &children = level.node->read.children;
        CFolderReadAhead::NodePtr child;
        if (level.nextChild < children.size())
            child = std::move(children[level.nextChild++]);
        EnterFolder(name, nameLength, std::move(child));
    } else {
        LookAt(name, nameLength, listedType);
    }
    return !m_bCancelledWaiting;
}

CFolderReadAhead::NodePtr CDirectoryWalker::ListRoot(int rootFd)
{
    // "." in the root's own descriptor is the root, opened again by the reader.
    if (CFolderReadAhead::NodePtr node = QueueHere(rootFd, ".", {})) {
        if (!TakeFromReaders(node))
            return {};
        if (node->read.outcome == CFolderReadAhead::Outcome::Entered) {
            m_readAhead->Release(node->read.self);
            return node;
        }
    }
    CFolderReadAhead::NodePtr node = m_readAhead->NewNode({});
    node->inMatchingFolder = SubfolderMatches(nullptr, 0);
    m_readAhead->ListHere(*node, rootFd);
    return node;
}

CFolderReadAhead::NodePtr CDirectoryWalker::QueueHere(int parentFd, const QByteArray &name,
                                                      const QByteArray &relativePath)
{
    if (!m_whileWaiting || parentFd < 0)
        return {};
    CFolderReadAhead::NodePtr node = m_readAhead->NewQueuedNode(parentFd, name, relativePath);
    // Readers see it only once it is handed to them.
    if (node)
        node->inMatchingFolder = SubfolderMatches(name.constData(), std::size_t(name.size()));
    return node;
}

bool CDirectoryWalker::SubfolderMatches(const char *name, std::size_t nameLength) const
{
    if (m_levels.empty())
        return m_lookHint.rootMatches;
    return m_lookHint.SubfolderMatches(m_levels.back().node->inMatchingFolder, m_path.back().cacheTag, name,
                                       nameLength);
}

bool CDirectoryWalker::TakeFromReaders(const CFolderReadAhead::NodePtr &node)
{
    if (!m_whileWaiting)
        return m_readAhead->Take(node);
    const bool taken = m_readAhead->Take(node, [this] {
        m_whileWaiting();
        return m_isCancelled && m_isCancelled();
    });
    m_bCancelledWaiting = m_bCancelledWaiting || !taken;
    return taken;
}

void CDirectoryWalker::LookAt(const char *name, std::size_t nameLength, unsigned char listedType)
{
    if (!m_bLookAtEveryFile && (listedType == DT_REG || listedType == DT_LNK)) {
        ReportUnlooked(name, nameLength);
        return;
    }
    const int fd = DeepestFd();
    if (fd < 0)
        return;
    // The listing may be stale by now: what counts is what statx finds.
    struct statx st;
    if (StatEntry(fd, name, st) != 0) {
        CountUnreadableEntry(errno);
        return;
    }
    if (!m_readAhead->IsOnRootMount(st))
        return;
    if (S_ISDIR(st.stx_mode))
        EnterFolder(name, nameLength, nullptr);
    else if (S_ISREG(st.stx_mode) || S_ISLNK(st.stx_mode))
        ReportFile(name, nameLength, st);
}

bool CDirectoryWalker::LookAtFile()
{
    if (m_record.looked)
        return true;
    if (m_levels.empty())
        return false;
    const int fd = DeepestFd();
    if (fd < 0)
        return false;
    // Whatever has the name now is what the record describes, or nothing:
    // a folder or a device put in the file's place is not a file to list.
    struct statx st;
    if (StatEntry(fd, m_record.name.constData(), st) != 0) {
        CountUnreadableEntry(errno);
        return false;
    }
    if (!m_readAhead->IsOnRootMount(st) || !(S_ISREG(st.stx_mode) || S_ISLNK(st.stx_mode)))
        return false;
    SetRecordFacts(st);
    return true;
}

int CDirectoryWalker::DeepestFd()
{
    FileOpResult reopened;
    const int fd = m_chain.GetLastFd(reopened);
    // The folder was closed to spare descriptors and is not there any more
    // as it was: the rest of it cannot be reached.
    if (fd < 0)
        AbandonFolder();
    return fd;
}

void CDirectoryWalker::CountUnreadableEntry(int error)
{
    // A file that cannot be looked at leaves its folder not read whole.
    Level &level = m_levels.back();
    if (IsUnreadableEntry(error) && !level.countedUnreadable) {
        level.countedUnreadable = true;
        ++m_nSkippedFolders;
    }
}

void CDirectoryWalker::EnterFolder(const char *name, std::size_t nameLength, CFolderReadAhead::NodePtr child)
{
    using Outcome = CFolderReadAhead::Outcome;
    QByteArray &path = m_record.folder;
    qsizetype parentLength = 0;
    qsizetype nameBegin = 0;
    if (!AppendFolderName(name, nameLength, parentLength, nameBegin))
        return; // the readers never opened it either
    // A folder nobody read ahead (or that changed since) is read by a
    // reader now where one may, and is then as it is now; else here.
    for (bool fresh = !child;; fresh = true) {
        if (fresh) {
            FileOpResult reopened;
            child = QueueHere(m_chain.GetLastFd(reopened), QByteArray(name, qsizetype(nameLength)),
                              m_mountPoints.isEmpty() ? QByteArray() : path.mid(m_nRootLength));
        }
        if (!child) {
            ListHere(name, nameLength, parentLength, nameBegin);
            return;
        }
        if (!TakeFromReaders(child)) {
            path.truncate(parentLength);
            return;
        }
        const CFolderReadAhead::Listing &read = child->read;
        if (read.outcome == Outcome::OpenFailed || read.outcome == Outcome::NotEntered) {
            if (read.outcome == Outcome::OpenFailed && IsUnreadableFolder(read.error))
                ++m_nSkippedFolders;
            path.truncate(parentLength);
            return;
        }
        const bool unchanged = read.outcome == Outcome::Entered && (fresh || CFolderReadAhead::StillAsListed(*child));
        m_readAhead->Release(child->read.self); // what is read ahead below it keeps it open as long as needed
        if (unchanged)
            break;
        // Changed since it was listed, or the readers ran short of
        // descriptors: it and its subtree are listed again, as they are now.
        m_readAhead->Discard(*child);
        if (fresh || read.outcome == Outcome::Deferred) {
            ListHere(name, nameLength, parentLength, nameBegin);
            return;
        }
    }
    // The readers' listings are freed here, into the readers' heaps: now
    // and then those free pages go back, or a walk of a million files ends
    // holding megabytes of them.
    if (++m_nFoldersReadAhead % kFoldersBetweenReturns == 0)
        ReturnFreePages();
    const CFolderReadAhead::Listing &read = child->read;
    Level level;
    level.parentPathLength = parentLength;
    if (read.readFailed) {
        level.countedUnreadable = true;
        ++m_nSkippedFolders;
    }
    m_chain.PushKnown(QByteArray(name, qsizetype(nameLength)), read.facts.device, read.facts.inode);
    const WalkFolder facts = read.facts;
    level.node = std::move(child);
    PushLevel(std::move(level), nameBegin, nameLength, facts);
}

void CDirectoryWalker::ListHere(const char *name, std::size_t nameLength, qsizetype parentLength, qsizetype nameBegin)
{
    using Outcome = CFolderReadAhead::Outcome;
    QByteArray &path = m_record.folder;
    FileOpResult reopened;
    const int parentFd = m_chain.GetLastFd(reopened);
    if (parentFd < 0) {
        path.truncate(parentLength);
        AbandonFolder();
        return;
    }
    int fd = -1;
    int error = 0;
    struct statx st;
    Outcome outcome = m_readAhead->OpenFolder(parentFd, name, fd, st, error);
    for (int tries = 0; outcome == Outcome::Deferred && tries < 4; ++tries) {
        m_chain.MakeRoom();
        outcome = m_readAhead->OpenFolder(parentFd, name, fd, st, error);
    }
    if (outcome != Outcome::Entered) {
        if (outcome != Outcome::NotEntered && IsUnreadableFolder(error))
            ++m_nSkippedFolders;
        path.truncate(parentLength);
        return;
    }
    Level level;
    level.parentPathLength = parentLength;
    // Its path below the root matters only on the way to a mount point.
    level.node = m_readAhead->NewNode(m_mountPoints.isEmpty() ? QByteArray() : path.mid(m_nRootLength));
    level.node->inMatchingFolder = SubfolderMatches(name, nameLength);
    m_readAhead->ListHere(*level.node, fd);
    if (level.node->read.readFailed) {
        level.countedUnreadable = true;
        ++m_nSkippedFolders;
    }
    m_chain.PushOpen(QByteArray(name, qsizetype(nameLength)), fd, makedev(st.stx_dev_major, st.stx_dev_minor),
                     st.stx_ino);
    PushLevel(std::move(level), nameBegin, nameLength, FolderFacts(st));
}

void CDirectoryWalker::AbandonFolder()
{
    // The deepest folder was closed to spare descriptors and cannot be
    // opened again as the folder it was (renamed away, removed, replaced):
    // what is left of its listing cannot be reached, and it counts as a
    // folder that could not be read.
    Level &level = m_levels.back();
    level.pos = level.node->read.entries.size();
    if (!level.countedUnreadable) {
        level.countedUnreadable = true;
        ++m_nSkippedFolders;
    }
}

void CDirectoryWalker::LeaveFolder()
{
    // A reader may still hold the node for a moment; its listing is done
    // with, and what was read ahead below it and never reached is dropped.
    CFolderReadAhead::Node &node = *m_levels.back().node;
    m_readAhead->Discard(node);
    std::vector<char>().swap(node.read.entries);
    m_record.folder.truncate(m_levels.back().parentPathLength);
    m_levels.pop_back();
    m_path.pop_back();
    m_chain.Truncate(int(m_levels.size()));
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
    m_path.back().configListed = m_levels.back().node->read.configListed;
    if (m_onFolder)
        m_onFolder(m_record.folder);
}

bool CDirectoryWalker::IsTaggedCache(const Level &level)
{
    if (!level.node->read.cacheTagListed)
        return false;
    if (level.node->read.cacheTagChecked)
        return level.node->read.cacheTagSigned;
    FileOpResult reopened;
    const int fd = m_chain.GetLastFd(reopened);
    return fd >= 0 && CacheDirTag::HasValidSignature(fd);
}

void CDirectoryWalker::ReportFile(const char *name, std::size_t nameLength, const struct statx &st)
{
    if (!m_onFile)
        return;
    SetRecordName(name, nameLength);
    SetRecordFacts(st);
    m_onFile(m_record);
}

void CDirectoryWalker::ReportUnlooked(const char *name, std::size_t nameLength)
{
    if (!m_onFile)
        return;
    SetRecordName(name, nameLength);
    static const struct statx kNothing = {}; // every fact zero
    SetRecordFacts(kNothing);
    m_record.looked = false;
    m_onFile(m_record);
}

void CDirectoryWalker::SetRecordName(const char *name, std::size_t nameLength)
{
    // Reuses the name's storage from the previous file unless a handler kept it.
    m_record.name.resize(qsizetype(nameLength));
    std::memcpy(m_record.name.data(), name, nameLength);
    m_record.chain = m_path.data();
    m_record.chainLength = int(m_path.size());
}

void CDirectoryWalker::SetRecordFacts(const struct statx &st)
{
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
    m_record.looked = true;
}
