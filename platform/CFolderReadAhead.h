#pragma once

#include "platform/LookHint.h"
#include "platform/WalkRecord.h"

#include <QByteArray>
#include <QSet>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <sys/types.h>
#include <thread>
#include <vector>

// Lists the folders of a walk. Each folder is opened relative to its
// parent's descriptor without following links and listed whole, into one
// listing format the walker steps through, whoever read it.
//
// With reader threads, folders are read ahead of the walking thread (the
// statx of every entry included, unless the walk looks at its files only
// when asked), so that the kernel's work for many files
// runs at once (and a disk with a cold cache is asked many things at once)
// while the walking thread matches and lists. Readers take the folders in
// about the order the walk will want them (depth first, from a stack), and
// stay at most a bounded number of folders, bytes and descriptors ahead. The
// walking thread takes each folder's listing when it gets there. Where it
// must not stall (it is a window's thread), it waits for a folder in short
// slices and lets the window run in between, and a folder nobody has started
// on by then goes to the readers before anything else; otherwise it reads
// such a folder itself, as it reads every folder when there are no readers.
//
// Nothing here reports a file or decides a row: the walker does, from the
// listings.
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

    // One entry of a listing: a kind byte, then for kFile a CompactStat, for
    // kUnseen the entry's d_type byte, then the name with its terminating
    // NUL (none for kSkip).
    static constexpr char kFile = 'F';
    static constexpr char kFolder = 'D';
    static constexpr char kSkip = 'S';   // met, but nothing to report or enter
    // Listed by the walking thread, which asks statx when it reaches it, so
    // that a file gone by then is not reported.
    static constexpr char kUnseen = 'U';

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

    struct Node;
    using NodePtr = std::shared_ptr<Node>;

    // What reading a folder found. Written only by the thread reading it (a
    // reader, or the walking thread for a folder it reads itself); the
    // walker's alone from the moment it takes the node (the mutex orders the
    // hand-over), and a reader never touches it again.
    struct Listing
    {
        std::shared_ptr<Descriptor> parent; // made by the parent's lister; dropped by the reader once opened
        std::shared_ptr<Descriptor> self;   // the folder's own, shared with its children still to be opened
        Outcome outcome = Outcome::NotEntered;
        int error = 0;                      // why it could not be opened (OpenFailed)
        bool readFailed = false;            // listed only in part, or an entry could not be looked at
        bool cacheTagListed = false;        // a CACHEDIR.TAG is among its entries
        bool cacheTagChecked = false;       // a reader read the tag, whose signature is then cacheTagSigned
        bool cacheTagSigned = false;
        bool configListed = false;          // a non-folder named "config" is (backup repositories keep one)
        bool trusted = false;               // last changed long enough before it was listed to tell a later change
        struct statx_timestamp mtime = {};  // as the reader saw them before listing
        struct statx_timestamp ctime = {};
        WalkFolder facts;                   // device, inode, owner, mode and times, for the walk's record
        std::vector<char> entries;          // the listing itself
        std::vector<NodePtr> children;      // the kFolder entries in order; empty when left to the walker
    };

    // One folder of the walk.
    struct Node
    {
        // Set by whoever lists the parent, before anyone else can see the node; never changed.
        QByteArray name;
        QByteArray relativePath; // below the root, kept only on the way to a mount point
        bool nearMountPoint = false;
        // It matches as a folder (see LookHint): its files may all match.
        bool inMatchingFolder = false;

        // Guarded by m_mutex.
        enum class State : unsigned char { Queued, Reading, Ready, Taken } state = State::Queued;
        bool cancelled = false;       // dropped with its parent before the walker came to it
        std::size_t aheadBytes = 0;   // its share of m_nAheadBytes while Ready

        Listing read;
    };

    // Folders read ahead and not yet taken, at most (by default).
    static constexpr std::size_t kMaxFoldersAhead = 512;

    struct Settings
    {
        int readers = 2;
        std::size_t maxFolders = kMaxFoldersAhead;
        std::size_t maxBytes = 16u << 20;
        int maxDescriptors = 256;
        bool knowMountPoints = false;
        QSet<QByteArray> mountPoints; // relative to the root, "/a/b"
        dev_t rootDevice = 0;
        std::uint64_t rootMountId = 0;
        bool haveMountId = false;
        // Files (regular files and links by their listed type) are looked
        // at as they are listed; off, they are listed unseen, like every
        // entry the walking thread lists itself.
        bool lookAtFiles = true;
        // Without lookAtFiles, the files still looked at as they are listed.
        LookHint hint;
        // Run by a reader before it reads a folder, with the folder's name:
        // tests slow the readers with it.
        std::function<void(const QByteArray &name)> beforeReading;
    };

    // Run after every wait of the walking thread for a reader, and every
    // few milliseconds while a wait lasts; true gives up the wait (the walk
    // is being cancelled).
    using WaitHook = std::function<bool()>;
    // How long the walking thread waits for a reader at most between two
    // calls of its WaitHook.
    static constexpr int kWaitSliceMs = 4;

    // Starts `settings.readers` threads (none for 0). Every node must be
    // dropped before the read-ahead is destroyed: a node's descriptors count
    // themselves out in it.
    explicit CFolderReadAhead(Settings settings);
    ~CFolderReadAhead();
    CFolderReadAhead(const CFolderReadAhead &) = delete;
    CFolderReadAhead &operator=(const CFolderReadAhead &) = delete;

    // A folder for the walking thread to read itself: the root, one whose
    // listing came stale, or one nobody listed as a folder. `relativePath`
    // is its path below the root ("" for the root).
    NodePtr NewNode(const QByteArray &relativePath) const;
    // A folder for the readers to read at once, so that the walking thread
    // need not: `name` in the open folder `parentFd` (duplicated; "." for
    // that folder itself). Null without readers, or without a descriptor
    // to spare.
    NodePtr NewQueuedNode(int parentFd, const QByteArray &name, const QByteArray &relativePath);
    // Opens `name` in the folder `parentFd` as every reader does: without
    // following links, checked to lie on the walk's mount. On Entered, `fd`
    // is the caller's and `st` its statx; on OpenFailed and Deferred,
    // `error` is errno.
    Outcome OpenFolder(int parentFd, const char *name, int &fd, struct statx &st, int &error) const;
    // Lists the folder open as `fd` (it stays the caller's) on the calling
    // thread, its entries unseen: the walker asks statx of each as it
    // reaches it. The subfolders it knows are queued for the readers, if
    // there are any and a descriptor to share with them, once a cache tag
    // it lists has been read.
    void ListHere(Node &node, int fd);
    // Takes a folder once it is read: waits for the reader that is on it.
    // One nobody has started is read here as a reader would (its own
    // subfolders then go to the readers); given `whileWaiting` and readers,
    // it goes to the readers instead, ahead of every other folder, and the
    // wait runs `whileWaiting` at least every kWaitSliceMs. False when that
    // gave up the wait: the node is not taken.
    bool Take(const NodePtr &node, const WaitHook &whileWaiting = {});
    // Drops a taken folder's subfolders that have not been taken, with
    // whatever was read ahead below them.
    void Discard(Node &node);
    // The walking thread's hold on a folder's descriptor ends. Where it was
    // the last hold, a reader closes it: closing a folder frees what the
    // file system kept for listing it, which costs about as much as the
    // statx of its files, and the walking thread is the one the scan waits
    // for. Without readers it is closed at once.
    void Release(std::shared_ptr<Descriptor> &descriptor);
    // Stops and joins the readers, closing everything they hold.
    void Stop();

    // Whether a folder's attributes, as a reader saw them before listing
    // it, are still what they are now: if so, nothing was added, removed or
    // renamed in it since. Checked by the walking thread on arrival.
    static bool StillAsListed(const Node &node);
    bool IsOnRootMount(const struct statx &st) const;

private:
    void ReaderLoop();
    // The next folder a reader may start, with m_mutex held; null for none.
    NodePtr NextToRead();
    // Waits for a reader to finish `node`, with m_mutex held; false when
    // `whileWaiting` gave up.
    bool AwaitReader(const Node &node, std::unique_lock<std::mutex> &lock, const WaitHook &whileWaiting);
    // Hands the descriptors the walking thread released to the readers, with m_mutex held.
    void HandOverReleased();
    void ReadFolder(Node &node, std::vector<char> &buffer);
    // Reads the signature of a listed CACHEDIR.TAG in the open folder `fd`,
    // before its subfolders go to the readers: a valid one makes them match.
    void CheckCacheTag(Node &node, int fd) const;
    // Looked at now (a reader) or left unseen for the walker (ListHere).
    void ListFolder(Node &node, int fd, std::vector<char> &buffer, bool lookNow);
    void AddFolder(Node &node, const char *name, std::size_t length) const;
    void ReserveFor(Node &node, const char *reply, long length, bool lookNow) const;
    // These three with m_mutex held.
    void Publish(Node &node);
    bool MayStartFolder() const;
    // Closes the released descriptors outside the lock; false when there were none.
    bool CloseReleased(std::unique_lock<std::mutex> &lock);
    void WakeReaders(std::size_t folders);
    void CancelBelow(Node &node); // with m_mutex held

    const Settings m_settings;
    QSet<QByteArray> m_mountPrefixes; // every folder above a mount point
    std::vector<char> m_ownBuffer;    // for the folders the walking thread reads itself
    std::mutex m_mutex;
    std::condition_variable m_readersWake;
    std::condition_variable m_walkerWake;
    std::vector<NodePtr> m_stack; // queued folders, the next wanted on top
    // The folder the walking thread waits for and nobody had started: read
    // before the stack, whatever the limits (it is taken as soon as read).
    NodePtr m_pUrgent;
    std::size_t m_nAhead = 0;     // folders being read or read and not yet taken
    std::size_t m_nAheadBytes = 0;
    std::size_t m_nIdleReaders = 0;    // readers asleep for want of a folder they may start
    const Node *m_pAwaited = nullptr;  // the folder the walking thread sleeps for
    std::atomic<int> m_nDescriptors{0};
    // Released by the walking thread: its own until the next Take() hands
    // them to the readers, whose next turn closes them. Counted in
    // m_nDescriptors until then, but not against the readers' budget; at
    // most an eighth of that budget waits (the process's limit counts them).
    std::vector<std::shared_ptr<Descriptor>> m_walkerReleased;
    std::vector<std::shared_ptr<Descriptor>> m_released; // guarded by m_mutex
    std::atomic<int> m_nReleased{0};                      // in both
    std::atomic<bool> m_bStop{false};
    std::vector<std::thread> m_threads;
};
