#include "platform/CFolderReadAhead.h"

#include "platform/CacheDirTag.h"
#include "platform/DirectoryEntries.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <ctime>
#include <utility>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace DirectoryEntries;

namespace {

// Descriptors released by the walking thread that wake a sleeping reader to close them.
constexpr std::size_t kReleasedBatch = 16;

bool IsConfigName(const char *name, std::size_t length)
{
    return length == 6 && std::memcmp(name, "config", 6) == 0;
}

std::int64_t Nanoseconds(const struct statx_timestamp &t)
{
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

bool SameTime(const struct statx_timestamp &a, const struct statx_timestamp &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether a change made after now would give the folder other times than
// it has. File systems stamp changes with the kernel's coarse clock, or
// with whole seconds (or two) where they keep no fractions: a change within
// the same tick as the last one would go unseen.
bool ChangesWouldShow(const struct statx_timestamp &mtime, const struct statx_timestamp &ctime)
{
    struct timespec now;
    if (::clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0)
        return false;
    const bool wholeSeconds = mtime.tv_nsec == 0 && ctime.tv_nsec == 0;
    const std::int64_t margin = wholeSeconds ? 2000000000LL : 20000000LL;
    const std::int64_t latest = std::max(Nanoseconds(mtime), Nanoseconds(ctime));
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec > latest + margin;
}

// How much lower than the walking thread the readers run.
constexpr int kReaderNiceness = 5;

// Readers give way to the walking thread, which may be a window's: on a
// cold disk with as many readers as cores they kept it from the processor
// long enough that it went 50-60 ms between two turns of its event loop in
// most walks of a million files (in one of eight with them lower). Ahead
// of the walk as they are, they lose nothing by it: they would wait for it
// anyway. A thread's niceness is its own on Linux.
void GiveWayToTheWalk()
{
    const id_t self = id_t(::syscall(SYS_gettid));
    errno = 0;
    const int now = ::getpriority(PRIO_PROCESS, self);
    if (now == -1 && errno != 0)
        return;
    ::setpriority(PRIO_PROCESS, self, std::min(now + kReaderNiceness, 19));
}

} // namespace

CFolderReadAhead::Descriptor::Descriptor(int descriptor, std::atomic<int> &openCount)
    : fd(descriptor)
    , count(openCount)
{
    count.fetch_add(1);
}

CFolderReadAhead::Descriptor::~Descriptor()
{
    ::close(fd);
    count.fetch_sub(1);
}

CFolderReadAhead::CompactStat CFolderReadAhead::CompactStat::From(const struct statx &st)
{
    CompactStat c;
    c.size = st.stx_size;
    c.ino = st.stx_ino;
    c.blocks = st.stx_blocks;
    c.mtimeSec = st.stx_mtime.tv_sec;
    c.atimeSec = st.stx_atime.tv_sec;
    c.ctimeSec = st.stx_ctime.tv_sec;
    c.btimeSec = st.stx_btime.tv_sec;
    c.mtimeNsec = st.stx_mtime.tv_nsec;
    c.atimeNsec = st.stx_atime.tv_nsec;
    c.ctimeNsec = st.stx_ctime.tv_nsec;
    c.btimeNsec = st.stx_btime.tv_nsec;
    c.devMajor = st.stx_dev_major;
    c.devMinor = st.stx_dev_minor;
    c.nlink = st.stx_nlink;
    c.mask = st.stx_mask;
    c.uid = st.stx_uid;
    c.attributes = st.stx_attributes & st.stx_attributes_mask; // only what the file system reports
    c.mode = st.stx_mode;
    return c;
}

void CFolderReadAhead::CompactStat::To(struct statx &st) const
{
    std::memset(&st, 0, sizeof st);
    st.stx_size = size;
    st.stx_ino = ino;
    st.stx_blocks = blocks;
    st.stx_mtime = {mtimeSec, mtimeNsec, 0};
    st.stx_atime = {atimeSec, atimeNsec, 0};
    st.stx_ctime = {ctimeSec, ctimeNsec, 0};
    st.stx_btime = {btimeSec, btimeNsec, 0};
    st.stx_dev_major = devMajor;
    st.stx_dev_minor = devMinor;
    st.stx_nlink = nlink;
    st.stx_mask = mask;
    st.stx_uid = uid;
    st.stx_attributes = attributes;
    st.stx_attributes_mask = attributes;
    st.stx_mode = mode;
}

CFolderReadAhead::CFolderReadAhead(Settings settings)
    : m_settings(std::move(settings))
{
    // A reader works out the path of a folder below the root only while it
    // may still lead to a mount point, so that it never even opens one.
    for (const QByteArray &mountPoint : m_settings.mountPoints) {
        for (qsizetype slash = mountPoint.indexOf('/', 1); slash > 0; slash = mountPoint.indexOf('/', slash + 1))
            m_mountPrefixes.insert(mountPoint.left(slash));
    }
    m_ownBuffer.resize(kBufferSize);
    for (int i = 0; i < m_settings.readers; ++i)
        m_threads.emplace_back([this] { ReaderLoop(); });
}

CFolderReadAhead::~CFolderReadAhead()
{
    Stop();
}

bool CFolderReadAhead::IsOnRootMount(const struct statx &st) const
{
    // The mount id decides where there is one: a bind mount of a folder of
    // the same file system has the same device, and on an overlay whose
    // layers lie on different file systems every file reports the device of
    // its layer, not that of the mount.
    if (m_settings.haveMountId && (st.stx_mask & STATX_MNT_ID))
        return st.stx_mnt_id == m_settings.rootMountId;
    return makedev(st.stx_dev_major, st.stx_dev_minor) == m_settings.rootDevice;
}

CFolderReadAhead::NodePtr CFolderReadAhead::NewNode(const QByteArray &relativePath) const
{
    auto node = std::make_shared<Node>();
    node->state = Node::State::Taken;
    if (relativePath.isEmpty()) {
        node->nearMountPoint = !m_settings.mountPoints.isEmpty();
    } else if (m_mountPrefixes.contains(relativePath)) {
        node->nearMountPoint = true;
        node->relativePath = relativePath;
    }
    return node;
}

CFolderReadAhead::NodePtr CFolderReadAhead::NewQueuedNode(int parentFd, const QByteArray &name,
                                                           const QByteArray &relativePath)
{
    if (m_threads.empty())
        return {};
    const int own = ::fcntl(parentFd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return {};
    NodePtr node = NewNode(relativePath);
    node->state = Node::State::Queued;
    node->name = name;
    node->read.parent = std::make_shared<Descriptor>(own, m_nDescriptors);
    return node;
}

void CFolderReadAhead::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
        m_pUrgent.reset();
    }
    m_readersWake.notify_all();
    m_walkerWake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
    m_threads.clear();
    m_stack.clear();
    m_released.clear();
    m_walkerReleased.clear();
    m_nReleased = 0;
}

void CFolderReadAhead::Release(std::shared_ptr<Descriptor> &descriptor)
{
    // Nobody takes a new hold on a taken folder's descriptor: a count of
    // one is the last hold, and stays so.
    if (descriptor && !m_threads.empty() && descriptor.use_count() == 1
        && m_nReleased.load() < m_settings.maxDescriptors / 8) {
        m_walkerReleased.push_back(std::move(descriptor));
        ++m_nReleased;
    }
    descriptor.reset();
}

bool CFolderReadAhead::CloseReleased(std::unique_lock<std::mutex> &lock)
{
    if (m_released.empty())
        return false;
    std::vector<std::shared_ptr<Descriptor>> closing;
    closing.swap(m_released);
    lock.unlock();
    const int closed = int(closing.size());
    closing.clear();
    m_nReleased -= closed;
    lock.lock();
    return true;
}

bool CFolderReadAhead::MayStartFolder() const
{
    // A released descriptor is as good as closed: the reader that starts
    // the folder closes it first.
    const int held = m_nDescriptors.load() - m_nReleased.load();
    return !m_stack.empty() && m_nAhead < m_settings.maxFolders
           && (m_nAheadBytes < m_settings.maxBytes || m_nAhead == 0) && held < m_settings.maxDescriptors;
}

void CFolderReadAhead::WakeReaders(std::size_t folders)
{
    // One reader per folder there is to start, and only readers that sleep:
    // waking them all for every folder costs more than the reading on a
    // machine with fewer cores than readers.
    for (std::size_t i = std::min(folders, m_nIdleReaders); i > 0; --i)
        m_readersWake.notify_one();
}

void CFolderReadAhead::ReaderLoop()
{
    GiveWayToTheWalk();
    std::vector<char> buffer(kBufferSize);
    std::unique_lock lock(m_mutex);
    while (!m_bStop) {
        if (CloseReleased(lock))
            continue;
        NodePtr node = NextToRead();
        if (!node) {
            // A wake-up missed here (a descriptor given back on the walking
            // thread) costs time, not progress: the walk reads a folder
            // nobody has started itself, or asks again for it every slice
            // of its wait.
            ++m_nIdleReaders;
            m_readersWake.wait_for(lock, std::chrono::milliseconds(20));
            --m_nIdleReaders;
            continue;
        }
        if (node->cancelled || node->state != Node::State::Queued)
            continue; // taken by the walker, or dropped with its parent
        node->state = Node::State::Reading;
        ++m_nAhead;
        lock.unlock();
        if (m_settings.beforeReading)
            m_settings.beforeReading(node->name);
        ReadFolder(*node, buffer);
        lock.lock();
        node->state = Node::State::Ready;
        if (m_pAwaited == node.get())
            m_walkerWake.notify_one();
        if (!node->cancelled) { // else its slot was given back when it was dropped
            node->aheadBytes = node->read.entries.size();
            m_nAheadBytes += node->aheadBytes;
            Publish(*node);
        }
    }
}

CFolderReadAhead::NodePtr CFolderReadAhead::NextToRead()
{
    if (m_pUrgent)
        return std::exchange(m_pUrgent, nullptr);
    if (!MayStartFolder())
        return {};
    NodePtr node = std::move(m_stack.back());
    m_stack.pop_back();
    return node;
}

void CFolderReadAhead::HandOverReleased()
{
    if (m_walkerReleased.empty())
        return;
    m_released.insert(m_released.end(), std::make_move_iterator(m_walkerReleased.begin()),
                      std::make_move_iterator(m_walkerReleased.end()));
    m_walkerReleased.clear();
    // Readers held back by a limit sleep: one is woken for a batch (not for
    // each), or the walking thread would soon close them itself.
    if (m_released.size() >= kReleasedBatch && m_nIdleReaders > 0)
        m_readersWake.notify_one();
}

bool CFolderReadAhead::AwaitReader(const Node &node, std::unique_lock<std::mutex> &lock,
                                   const WaitHook &whileWaiting)
{
    m_pAwaited = &node;
    if (!whileWaiting) {
        m_walkerWake.wait(lock);
        m_pAwaited = nullptr;
        return true;
    }
    m_walkerWake.wait_for(lock, std::chrono::milliseconds(kWaitSliceMs), [&node] {
        return node.state != Node::State::Queued && node.state != Node::State::Reading;
    });
    m_pAwaited = nullptr;
    // After every wait, however short: a walk that waits a little for
    // every folder would otherwise go long between two of its pumps.
    lock.unlock();
    const bool bGaveUp = whileWaiting();
    lock.lock();
    return !bGaveUp;
}

bool CFolderReadAhead::Take(const NodePtr &node, const WaitHook &whileWaiting)
{
    std::unique_lock lock(m_mutex);
    HandOverReleased();
    for (;;) {
        switch (node->state) {
        case Node::State::Queued:
            if (whileWaiting && !m_threads.empty()) {
                // A cold folder can keep whoever reads it waiting on the
                // disk for long; the walking thread keeps its window
                // answering instead. Asked again every slice, so that a
                // reader busy with another folder takes it next.
                m_pUrgent = node;
                m_readersWake.notify_one();
                if (!AwaitReader(*node, lock, whileWaiting))
                    return false;
                break;
            }
            // Not started: quicker to read it here, as a reader would, than
            // to wait for one. Its stack entry is skipped when a reader
            // comes to it.
            node->state = Node::State::Reading;
            lock.unlock();
            ReadFolder(*node, m_ownBuffer);
            lock.lock();
            Publish(*node);
            node->state = Node::State::Taken;
            return true;
        case Node::State::Reading:
            if (!AwaitReader(*node, lock, whileWaiting))
                return false;
            break;
        case Node::State::Ready:
            node->state = Node::State::Taken;
            --m_nAhead;
            m_nAheadBytes -= node->aheadBytes;
            if (MayStartFolder())
                WakeReaders(1);
            return true;
        case Node::State::Taken:
            return true;
        }
    }
}

void CFolderReadAhead::Discard(Node &node)
{
    if (node.read.children.empty())
        return;
    std::lock_guard lock(m_mutex);
    CancelBelow(node);
    if (MayStartFolder())
        WakeReaders(m_nIdleReaders);
}

void CFolderReadAhead::CancelBelow(Node &node)
{
    for (NodePtr &child : node.read.children) {
        if (!child || child->cancelled || child->state == Node::State::Taken)
            continue;
        child->cancelled = true;
        if (child->state == Node::State::Reading || child->state == Node::State::Ready)
            --m_nAhead;
        if (child->state == Node::State::Ready) {
            // Ready and never taken: what the reader found is no one's but
            // this, under the lock.
            m_nAheadBytes -= child->aheadBytes;
            CancelBelow(*child);
        }
    }
    node.read.children.clear();
}

void CFolderReadAhead::Publish(Node &node)
{
    if (node.read.outcome != Outcome::Entered)
        return;
    // Reversed, so that the first subfolder is the next one taken.
    std::size_t queued = 0;
    for (auto it = node.read.children.rbegin(); it != node.read.children.rend(); ++it) {
        if ((*it)->state == Node::State::Queued) {
            m_stack.push_back(*it);
            ++queued;
        }
    }
    WakeReaders(queued);
}

bool CFolderReadAhead::StillAsListed(const Node &node)
{
    const Listing &read = node.read;
    if (!read.trusted || !read.self)
        return false;
    struct statx st;
    if (::statx(read.self->fd, "", AT_EMPTY_PATH, STATX_NLINK | STATX_MTIME | STATX_CTIME, &st) != 0)
        return false;
    // A folder removed since has no links left; one renamed away has a new change time.
    return st.stx_nlink != 0 && SameTime(st.stx_mtime, read.mtime) && SameTime(st.stx_ctime, read.ctime);
}

CFolderReadAhead::Outcome CFolderReadAhead::OpenFolder(int parentFd, const char *name, int &fd, struct statx &st,
                                                       int &error) const
{
    fd = ::openat(parentFd, name, kFolderOpenFlags);
    if (fd < 0) {
        error = errno;
        return (error == EMFILE || error == ENFILE) ? Outcome::Deferred : Outcome::OpenFailed;
    }
    if (::statx(fd, "", AT_EMPTY_PATH, kFolderFields | STATX_MTIME | STATX_CTIME, &st) != 0 || !IsOnRootMount(st)) {
        // Another mount: one the table did not name (an odd name, or
        // mounted since the walk began). Its files are not this drive's.
        ::close(fd);
        fd = -1;
        return Outcome::NotEntered;
    }
    return Outcome::Entered;
}

void CFolderReadAhead::ReadFolder(Node &node, std::vector<char> &buffer)
{
    Listing &read = node.read;
    int fd = -1;
    struct statx st;
    read.outcome = OpenFolder(read.parent->fd, node.name.constData(), fd, st, read.error);
    read.parent.reset();
    if (read.outcome != Outcome::Entered)
        return;
    read.mtime = st.stx_mtime;
    read.ctime = st.stx_ctime;
    read.facts = FolderFacts(st);
    read.self = std::make_shared<Descriptor>(fd, m_nDescriptors);
    // Judged before listing: whatever changes from here on either is in
    // the listing or gives the folder new times.
    read.trusted = ChangesWouldShow(st.stx_mtime, st.stx_ctime);
    ListFolder(node, fd, buffer, true);
    // Read here, not by the walking thread: on a cold disk even 43 bytes
    // are a wait.
    CheckCacheTag(node, fd);
}

void CFolderReadAhead::CheckCacheTag(Node &node, int fd) const
{
    Listing &read = node.read;
    if (!read.cacheTagListed)
        return;
    read.cacheTagChecked = true;
    read.cacheTagSigned = CacheDirTag::HasValidSignature(fd);
    // Its subfolders are listed before the tag is known to be valid.
    if (read.cacheTagSigned && m_settings.hint.cacheTagsMatch) {
        for (const NodePtr &child : read.children)
            child->inMatchingFolder = true;
    }
}

void CFolderReadAhead::ListHere(Node &node, int fd)
{
    Listing &read = node.read;
    read.outcome = Outcome::Entered;
    // Readers may read its subfolders ahead, through a descriptor of their
    // own; without one to spare they are left to the walker.
    if (!m_threads.empty() && m_nDescriptors.load() < m_settings.maxDescriptors) {
        const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (own >= 0)
            read.self = std::make_shared<Descriptor>(own, m_nDescriptors);
    }
    ListFolder(node, fd, m_ownBuffer, false);
    CheckCacheTag(node, fd);
    if (read.self) {
        std::lock_guard lock(m_mutex);
        Publish(node);
    }
    Release(read.self); // its children hold it as long as they need it
}

void CFolderReadAhead::ReserveFor(Node &node, const char *reply, long length, bool lookNow) const
{
    // Room for every entry as a file, and for every folder entry as a
    // folder, so that the listing grows once per reply, not once per entry.
    const std::size_t perEntry = lookNow && m_settings.lookAtFiles ? 1 + sizeof(CompactStat) : 2;
    std::size_t entries = 0;
    std::size_t nameBytes = 0;
    std::size_t folders = 0;
    for (long pos = 0; pos < length;) {
        const auto *entry = reinterpret_cast<const LinuxDirent64 *>(reply + pos);
        pos += entry->d_reclen;
        ++entries;
        nameBytes += entry->d_reclen - offsetof(LinuxDirent64, d_name);
        folders += entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN;
    }
    Listing &read = node.read;
    read.entries.reserve(read.entries.size() + entries * perEntry + nameBytes);
    if (read.self)
        read.children.reserve(read.children.size() + folders);
}

void CFolderReadAhead::AddFolder(Node &node, const char *name, std::size_t length) const
{
    Listing &read = node.read;
    read.entries.push_back(kFolder);
    read.entries.insert(read.entries.end(), name, name + length + 1);
    if (!read.self)
        return; // nobody to read it ahead: the walker reads it when it gets there
    auto child = std::make_shared<Node>();
    child->name = QByteArray(name, qsizetype(length));
    child->read.parent = read.self;
    child->inMatchingFolder = m_settings.hint.SubfolderMatches(node.inMatchingFolder, false, name, length);
    if (node.nearMountPoint) {
        const QByteArray path = node.relativePath + '/' + child->name;
        if (m_settings.mountPoints.contains(path)) {
            // The walker skips it by its path; it is never opened.
            child->read.parent.reset();
            child->state = Node::State::Taken;
        } else if (m_mountPrefixes.contains(path)) {
            child->nearMountPoint = true;
            child->relativePath = path;
        }
    }
    read.children.push_back(std::move(child));
}

void CFolderReadAhead::ListFolder(Node &node, int fd, std::vector<char> &buffer, bool lookNow)
{
    Listing &read = node.read;
    std::vector<char> &listing = read.entries;
    struct statx st;
    for (;;) {
        const long length = ::syscall(SYS_getdents64, fd, buffer.data(), kBufferSize);
        if (length == 0)
            return;
        if (length < 0) {
            read.readFailed = true; // what was listed so far is still walked
            return;
        }
        ReserveFor(node, buffer.data(), length, lookNow);
        for (long pos = 0; pos < length;) {
            if (m_bStop.load(std::memory_order_relaxed))
                return;
            const auto *entry = reinterpret_cast<const LinuxDirent64 *>(buffer.data() + pos);
            pos += entry->d_reclen;
            const unsigned char type = entry->d_type;
            if (IsDots(entry->d_name) || !IsWalkedType(type))
                continue;
            const std::size_t nameLength = std::strlen(entry->d_name);
            if (type == DT_DIR && m_settings.knowMountPoints) {
                // Mount points are known from the mount table, so a folder
                // needs no statx before it is opened; a folder that turns
                // out not to be one fails to open, and the opened folder's
                // own mount is checked.
                AddFolder(node, entry->d_name, nameLength);
                continue;
            }
            if (!lookNow
                || (!m_settings.lookAtFiles && (type == DT_REG || type == DT_LNK)
                    && !m_settings.hint.FileMayMatch(node.inMatchingFolder, entry->d_name, nameLength))) {
                if (type != DT_DIR && CacheDirTag::IsTagName(entry->d_name, nameLength))
                    read.cacheTagListed = true;
                if (type != DT_DIR && IsConfigName(entry->d_name, nameLength))
                    read.configListed = true;
                listing.push_back(kUnseen);
                listing.push_back(char(type));
                listing.insert(listing.end(), entry->d_name, entry->d_name + nameLength + 1);
                continue;
            }
            // The same questions, in the same order, as the walker asks of an unseen entry.
            if (StatEntry(fd, entry->d_name, st) != 0) {
                // A file that cannot be looked at leaves the folder not read whole.
                if (IsUnreadableEntry(errno))
                    read.readFailed = true;
                listing.push_back(kSkip);
            } else if (!IsOnRootMount(st)) {
                listing.push_back(kSkip);
            } else if (S_ISDIR(st.stx_mode)) {
                AddFolder(node, entry->d_name, nameLength);
            } else if (S_ISREG(st.stx_mode) || S_ISLNK(st.stx_mode)) {
                const CompactStat compact = CompactStat::From(st);
                if (S_ISREG(st.stx_mode) && CacheDirTag::IsTagName(entry->d_name, nameLength))
                    read.cacheTagListed = true;
                if (IsConfigName(entry->d_name, nameLength))
                    read.configListed = true;
                listing.push_back(kFile);
                const char *bytes = reinterpret_cast<const char *>(&compact);
                listing.insert(listing.end(), bytes, bytes + sizeof compact);
                listing.insert(listing.end(), entry->d_name, entry->d_name + nameLength + 1);
            } else {
                listing.push_back(kSkip);
            }
        }
    }
}
