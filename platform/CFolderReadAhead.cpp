#include "platform/CFolderReadAhead.h"

#include "platform/CacheDirTag.h"
#include "platform/DirectoryEntries.h"

#include <cerrno>
#include <cstddef>
#include <chrono>
#include <cstring>
#include <ctime>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace DirectoryEntries;

namespace {

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
}

CFolderReadAhead::~CFolderReadAhead()
{
    Stop();
}

bool CFolderReadAhead::IsOnRootMount(const struct statx &st) const
{
    if (m_settings.haveMountId && (st.stx_mask & STATX_MNT_ID))
        return st.stx_mnt_id == m_settings.rootMountId;
    return makedev(st.stx_dev_major, st.stx_dev_minor) == m_settings.rootDevice;
}

CFolderReadAhead::NodePtr CFolderReadAhead::Start(int rootFd)
{
    auto root = std::make_shared<Node>();
    root->nearMountPoint = !m_settings.mountPoints.isEmpty();
    const int fd = ::fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
    m_ownBuffer.resize(kBufferSize);
    if (fd < 0) {
        root->outcome = Outcome::Deferred;
    } else {
        root->self = std::make_shared<Descriptor>(fd, m_nDescriptors);
        root->outcome = Outcome::Entered;
        ListFolder(*root, fd, m_ownBuffer);
        root->self.reset(); // its children hold it as long as they need it
    }
    std::lock_guard lock(m_mutex);
    root->state = Node::State::Taken;
    Publish(*root);
    for (int i = 0; i < m_settings.readers; ++i)
        m_threads.emplace_back([this] { ReaderLoop(); });
    return root;
}

void CFolderReadAhead::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_readersWake.notify_all();
    m_walkerWake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
    m_threads.clear();
    m_stack.clear();
}

bool CFolderReadAhead::MayStartFolder() const
{
    return !m_stack.empty() && m_nAhead < m_settings.maxFolders
           && (m_nAheadBytes < m_settings.maxBytes || m_nAhead == 0)
           && m_nDescriptors.load() < m_settings.maxDescriptors;
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
    std::vector<char> buffer(kBufferSize);
    std::unique_lock lock(m_mutex);
    while (!m_bStop) {
        if (!MayStartFolder()) {
            // The walk never waits for a folder nobody has started (it
            // reads that one itself), so a wake-up missed here (a
            // descriptor given back on the walking thread) costs time, not
            // progress.
            ++m_nIdleReaders;
            m_readersWake.wait_for(lock, std::chrono::milliseconds(20));
            --m_nIdleReaders;
            continue;
        }
        NodePtr node = std::move(m_stack.back());
        m_stack.pop_back();
        if (node->cancelled || node->state != Node::State::Queued)
            continue; // taken over by the walker, or dropped with its parent
        node->state = Node::State::Reading;
        ++m_nAhead;
        lock.unlock();
        ReadFolder(*node, buffer);
        lock.lock();
        Publish(*node);
    }
}

bool CFolderReadAhead::Take(const NodePtr &node)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        switch (node->state) {
        case Node::State::Queued:
            // Not started: quicker to read it here than to wait for a reader.
            // Its stack entry is skipped when a reader comes to it.
            node->state = Node::State::Reading;
            ++m_nAhead;
            lock.unlock();
            ReadFolder(*node, m_ownBuffer);
            lock.lock();
            Publish(*node);
            break;
        case Node::State::Reading:
            m_pAwaited = node.get();
            m_walkerWake.wait(lock);
            m_pAwaited = nullptr;
            break;
        case Node::State::Ready:
            node->state = Node::State::Taken;
            --m_nAhead;
            m_nAheadBytes -= node->listing.size();
            if (node->outcome == Outcome::Entered)
                ++m_nDelivered;
            if (MayStartFolder())
                WakeReaders(1);
            return true;
        case Node::State::Taken:
            return true;
        }
    }
}

void CFolderReadAhead::Discard(const NodePtr &node)
{
    std::lock_guard lock(m_mutex);
    CancelBelow(*node);
    if (MayStartFolder())
        WakeReaders(m_nIdleReaders);
}

void CFolderReadAhead::CancelBelow(Node &node)
{
    for (NodePtr &child : node.children) {
        if (!child || child->cancelled)
            continue;
        child->cancelled = true;
        if (child->state == Node::State::Reading || child->state == Node::State::Ready) {
            --m_nAhead;
            if (child->state == Node::State::Ready)
                m_nAheadBytes -= child->listing.size();
        }
        if (child->state == Node::State::Ready)
            CancelBelow(*child);
    }
    node.children.clear();
}

void CFolderReadAhead::Publish(Node &node)
{
    if (node.state == Node::State::Reading)
        node.state = Node::State::Ready;
    if (m_pAwaited == &node)
        m_walkerWake.notify_one();
    if (node.cancelled)
        return; // its slot was given back when it was dropped
    if (node.state == Node::State::Ready)
        m_nAheadBytes += node.listing.size();
    if (node.outcome != Outcome::Entered)
        return;
    // Reversed, so that the first subfolder is the next one taken.
    std::size_t queued = 0;
    for (auto it = node.children.rbegin(); it != node.children.rend(); ++it) {
        if ((*it)->state == Node::State::Queued) {
            m_stack.push_back(*it);
            ++queued;
        }
    }
    WakeReaders(queued);
}

bool CFolderReadAhead::StillAsListed(const Node &node)
{
    if (!node.trusted || !node.self)
        return false;
    struct statx st;
    if (::statx(node.self->fd, "", AT_EMPTY_PATH, STATX_NLINK | STATX_MTIME | STATX_CTIME, &st) != 0)
        return false;
    // A folder removed since has no links left; one renamed away has a new change time.
    return st.stx_nlink != 0 && SameTime(st.stx_mtime, node.mtime) && SameTime(st.stx_ctime, node.ctime);
}

void CFolderReadAhead::ReadFolder(Node &node, std::vector<char> &buffer)
{
    const int parentFd = node.parent->fd;
    const int fd = ::openat(parentFd, node.name.constData(), kFolderOpenFlags);
    const int error = errno;
    node.parent.reset();
    if (fd < 0) {
        node.outcome = (error == EMFILE || error == ENFILE) ? Outcome::Deferred : Outcome::OpenFailed;
        node.error = error;
        return;
    }
    struct statx st;
    if (::statx(fd, "", AT_EMPTY_PATH, kFolderFields | STATX_MTIME | STATX_CTIME, &st) != 0 || !IsOnRootMount(st)) {
        ::close(fd);
        node.outcome = Outcome::NotEntered;
        return;
    }
    node.outcome = Outcome::Entered;
    node.device = makedev(st.stx_dev_major, st.stx_dev_minor);
    node.inode = st.stx_ino;
    node.mtime = st.stx_mtime;
    node.ctime = st.stx_ctime;
    node.facts = FolderFacts(st);
    node.self = std::make_shared<Descriptor>(fd, m_nDescriptors);
    // Judged before listing: whatever changes from here on either is in
    // the listing or gives the folder new times.
    node.trusted = ChangesWouldShow(st.stx_mtime, st.stx_ctime);
    ListFolder(node, fd, buffer);
}

void CFolderReadAhead::ReserveFor(Node &node, const char *reply, long length)
{
    // Room for every entry as a file, and for every folder entry as a
    // folder, so that the listing grows once per reply, not once per entry.
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
    node.listing.reserve(node.listing.size() + entries * (1 + sizeof(CompactStat)) + nameBytes);
    node.children.reserve(node.children.size() + folders);
}

void CFolderReadAhead::ListFolder(Node &node, int fd, std::vector<char> &buffer)
{
    std::vector<char> &listing = node.listing;
    const auto addFolder = [&](const char *name, std::size_t length) {
        listing.push_back(kFolder);
        listing.insert(listing.end(), name, name + length + 1);
        auto child = std::make_shared<Node>();
        child->name = QByteArray(name, qsizetype(length));
        child->parent = node.self;
        if (node.nearMountPoint) {
            const QByteArray path = node.relativePath + '/' + child->name;
            if (m_settings.mountPoints.contains(path)) {
                // The walker skips it by its path; it is never opened.
                child->parent.reset();
                child->state = Node::State::Taken;
            } else if (m_mountPrefixes.contains(path)) {
                child->nearMountPoint = true;
                child->relativePath = path;
            }
        }
        node.children.push_back(std::move(child));
    };
    struct statx st;
    for (;;) {
        const long read = ::syscall(SYS_getdents64, fd, buffer.data(), kBufferSize);
        if (read == 0)
            return;
        if (read < 0) {
            node.readFailed = true; // what was listed so far is still walked
            return;
        }
        ReserveFor(node, buffer.data(), read);
        for (long pos = 0; pos < read;) {
            if (m_bStop.load(std::memory_order_relaxed))
                return;
            const auto *entry = reinterpret_cast<const LinuxDirent64 *>(buffer.data() + pos);
            pos += entry->d_reclen;
            const unsigned char type = entry->d_type;
            if (IsDots(entry->d_name) || !IsWalkedType(type))
                continue;
            const std::size_t length = std::strlen(entry->d_name);
            if (type == DT_DIR && m_settings.knowMountPoints) {
                addFolder(entry->d_name, length);
                continue;
            }
            // The same questions, in the same order, as a walk on one thread asks.
            if (StatEntry(fd, entry->d_name, st) != 0) {
                // A file that cannot be looked at leaves the folder not read whole.
                if (IsUnreadableEntry(errno))
                    node.readFailed = true;
                listing.push_back(kSkip);
            } else if (!IsOnRootMount(st)) {
                listing.push_back(kSkip);
            } else if (S_ISDIR(st.stx_mode)) {
                addFolder(entry->d_name, length);
            } else if (S_ISREG(st.stx_mode) || S_ISLNK(st.stx_mode)) {
                const CompactStat compact = CompactStat::From(st);
                if (S_ISREG(st.stx_mode) && CacheDirTag::IsTagName(entry->d_name, length))
                    node.cacheTagListed = true;
                listing.push_back(kFile);
                const char *bytes = reinterpret_cast<const char *>(&compact);
                listing.insert(listing.end(), bytes, bytes + sizeof compact);
                listing.insert(listing.end(), entry->d_name, entry->d_name + length + 1);
            } else {
                listing.push_back(kSkip);
            }
        }
    }
}
