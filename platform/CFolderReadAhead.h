#pragma once

#include "platform/WalkRecord.h"

#include <QByteArray>
#include <QSet>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <sys/types.h>
#include <thread>
#include <vector>

// Reads folder listings, and statx of every entry, on a few threads of its
// own ahead of the walking thread, so that the kernel's work for many files
// runs at once (and a disk with a cold cache is asked many things at once)
// while the walking thread matches and lists.
//
// Each folder is opened by a reader relative to its parent's descriptor,
// without following links, exactly as a walk on one thread opens it, and
// listed whole. Readers take the folders in about the order the walk will
// want them (depth first, from a stack), and stay at most a bounded number
// of folders, bytes and descriptors ahead. The walking thread takes each
// folder's listing when it gets there, in its own order; a folder nobody has
// started on by then it takes over and reads itself.
//
// Nothing here reports a file or decides a row: the walker does, from the
// listings, the same way it does from its own.
class CFolderReadAhead
{
public:
    // A descriptor shared by a folder and its children still to be opened.
    struct Descriptor
    {
        explicit Descriptor(int fd, std::atomic<int> &openCount);
        ~Descriptor();
        Descriptor(const Descriptor &) = delete;
        Descriptor &operator=(const Descriptor &) = delete;
        const int fd;
        std::atomic<int> &count;
    };

    enum class Outcome : unsigned char {
        Entered,    // opened, on the walk's mount, listed (perhaps partly: see readFailed)
        OpenFailed, // openat failed with `error`
        NotEntered, // not a folder of the walk's mount
        Deferred,   // out of descriptors: the walking thread opens it itself
    };

    // One entry of a listing: a kind byte, then for kFile a CompactStat,
    // then the name with its terminating NUL (none for kSkip).
    static constexpr char kFile = 'F';
    static constexpr char kFolder = 'D';
    static constexpr char kSkip = 'S'; // met, but nothing to report or enter

    // What a report needs of a file's statx, stored unaligned in a listing.
    struct CompactStat
    {
        std::uint64_t size, ino, blocks;
        std::int64_t mtimeSec, atimeSec, ctimeSec, btimeSec;
        std::uint32_t mtimeNsec, atimeNsec, ctimeNsec, btimeNsec;
        std::uint32_t devMajor, devMinor, nlink, mask, uid;
        std::uint64_t attributes;
        std::uint16_t mode;

        static CompactStat From(const struct statx &st);
        void To(struct statx &st) const;
    };

    struct Node
    {
        QByteArray name;
        QByteArray relativePath; // below the root, kept only on the way to a mount point
        bool nearMountPoint = false;
        std::shared_ptr<Descriptor> parent; // until this folder is opened
        std::shared_ptr<Descriptor> self;   // until the walker has checked it

        enum class State : unsigned char { Queued, Reading, Ready, Taken } state = State::Queued;
        bool cancelled = false;
        Outcome outcome = Outcome::NotEntered;
        int error = 0;
        bool readFailed = false;
        bool cacheTagListed = false; // a regular file named CACHEDIR.TAG is among its files
        bool trusted = false; // last changed long enough before it was listed to tell a later change
        dev_t device = 0;
        ino_t inode = 0;
        struct statx_timestamp mtime = {};
        struct statx_timestamp ctime = {};
        WalkFolder facts; // owner, mode and times, for the walk's record

        std::vector<char> listing;
        std::vector<std::shared_ptr<Node>> children; // the kFolder entries, in listing order
    };
    using NodePtr = std::shared_ptr<Node>;

    struct Settings
    {
        int readers = 2;
        std::size_t maxFolders = 512;
        std::size_t maxBytes = 16u << 20;
        int maxDescriptors = 256;
        bool knowMountPoints = false;
        QSet<QByteArray> mountPoints; // relative to the root, "/a/b"
        dev_t rootDevice = 0;
        std::uint64_t rootMountId = 0;
        bool haveMountId = false;
    };

    // Every node must be dropped before the read-ahead is destroyed: a
    // node's descriptors count themselves out in it.
    explicit CFolderReadAhead(Settings settings);
    ~CFolderReadAhead();
    CFolderReadAhead(const CFolderReadAhead &) = delete;
    CFolderReadAhead &operator=(const CFolderReadAhead &) = delete;

    // Lists the root (on this thread; `rootFd` stays the caller's) and sets
    // the readers to work below it. The root comes back taken.
    NodePtr Start(int rootFd);
    // Waits until a reader has finished `node` and returns true, or takes
    // over a node no reader has started and returns false: the caller then
    // reads that folder itself, and nothing below it is read ahead.
    bool Take(const NodePtr &node);
    // Drops a taken folder whose listing will not be used, with whatever
    // was read ahead below it.
    void Discard(const NodePtr &node);
    // Stops and joins the readers, closing everything they hold.
    void Stop();

    // Whether a folder's attributes, as a reader saw them before listing
    // it, are still what they are now: if so, nothing was added, removed or
    // renamed in it since. Checked by the walking thread on arrival.
    static bool StillAsListed(const Node &node);

    // Folders that reached the walker read ahead (for tests and benchmarks).
    std::int64_t GetDelivered() const { return m_nDelivered; }

private:
    void ReaderLoop();
    void ReadFolder(Node &node, std::vector<char> &buffer);
    void ListFolder(Node &node, int fd, std::vector<char> &buffer);
    static void ReserveFor(Node &node, const char *reply, long length);
    // These three with m_mutex held.
    void Publish(Node &node);
    bool MayStartFolder() const;
    void WakeReaders(std::size_t folders);
    void CancelBelow(Node &node); // with m_mutex held
    bool IsOnRootMount(const struct statx &st) const;

    const Settings m_settings;
    QSet<QByteArray> m_mountPrefixes; // every folder above a mount point
    std::vector<char> m_ownBuffer;    // for the folders the walking thread reads itself
    std::mutex m_mutex;
    std::condition_variable m_readersWake;
    std::condition_variable m_walkerWake;
    std::vector<NodePtr> m_stack; // queued folders, the next wanted on top
    std::size_t m_nAhead = 0;     // folders being read or read and not yet taken
    std::size_t m_nAheadBytes = 0;
    std::size_t m_nIdleReaders = 0;    // readers asleep for want of a folder they may start
    const Node *m_pAwaited = nullptr;  // the folder the walking thread sleeps for
    std::atomic<int> m_nDescriptors{0};
    std::atomic<bool> m_bStop{false};
    std::vector<std::thread> m_threads;
    std::int64_t m_nDelivered = 0;
};
