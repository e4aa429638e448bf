#pragma once

#include "platform/CFolderChain.h"
#include "platform/CFolderReadAhead.h"
#include "platform/LookHint.h"
#include "platform/WalkRecord.h"

#include <QByteArray>
#include <QSet>
#include <sys/stat.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Walks one drive, depth first, by descriptor: every folder is opened relative
// to its parent without following links, so a symlink is never entered and a
// folder renamed behind our back cannot send us somewhere else. The walk stays
// on the mount of its root, reports regular files and symbolic links only, and
// never opens a file.
//
// Each folder's listing is read whole when the folder is entered and kept
// compactly until its entries are done, so memory follows the folders on the
// current path (and their listings), not the deepest depth ever reached.
// Descriptors of folders above the current one are closed when there are
// many and opened again, checked to be the same folders, when the walk
// climbs back; depth is limited by memory alone.
//
// Every folder is listed by a CFolderReadAhead. With one reader it has no
// threads and the walking thread lists each folder as it enters it, looking
// at each entry as it reaches it. With more, folder listings and the statx
// of their entries are read ahead on threads of their own and taken here in
// the same order; everything else, the handlers included, runs on the
// walking thread as with one. A folder read ahead is used only if it has not
// changed since it was listed (else it is listed again). Its files are
// as the readers found them when it was listed, as they are as the walk
// found them whenever it did.
//
// Given a wait handler, the walking thread never waits on the disk itself
// where readers can: a folder it needs that no reader has started (the
// root, one that changed since it was read, one the listing did not know
// as a folder) goes to the readers before any other, and while it waits for
// one, the handler runs every few milliseconds and the cancel check after
// it, so that a window on this thread keeps answering on a cold disk. Short
// waits add up, one per folder: the handler runs after each of them too.
//
// One record is reused for every file; handlers must copy what they keep.
class CDirectoryWalker
{
public:
    enum class Result {
        Completed,
        Cancelled,
        RootUnavailable, // the root could not be opened: nothing was reported
    };

    using FileHandler = std::function<void(const WalkRecord &record)>;
    using FolderHandler = std::function<void(const QByteArray &folder)>;
    // Asked before every entry; returning true ends the walk at once.
    using CancelCheck = std::function<bool()>;
    // Run after every wait for a reader, and every few milliseconds while
    // one lasts: a handler that pumps a window's events does so when due.
    using WaitHandler = std::function<void()>;
    // Run by a reader before it reads a folder (tests slow readers with it).
    using ReaderHook = std::function<void(const QByteArray &folderName)>;

    CDirectoryWalker();
    ~CDirectoryWalker();
    CDirectoryWalker(const CDirectoryWalker &) = delete;
    CDirectoryWalker &operator=(const CDirectoryWalker &) = delete;

    void SetFileHandler(FileHandler handler) { m_onFile = std::move(handler); }
    void SetFolderHandler(FolderHandler handler) { m_onFolder = std::move(handler); }
    void SetCancelCheck(CancelCheck check) { m_isCancelled = std::move(check); }
    void SetWaitHandler(WaitHandler handler) { m_whileWaiting = std::move(handler); }
    void SetReaderHook(ReaderHook hook) { m_readerHook = std::move(hook); }
    // Descriptors the walk may keep open at once (see CFolderChain); by
    // default a share of the process's limit.
    void SetOpenLimit(int limit) { m_nOpenLimit = limit; }
    // Threads that read folders ahead of the walk: 1 reads every folder on
    // the walking thread itself; 0 (the default) lets CReaderCount choose
    // for the drive.
    void SetReaderCount(int readers) { m_nReaders = readers < 0 ? 0 : readers; }
    // Whether every file is looked at (statx) before it is reported, as by
    // default. Off, a file listed as a regular file or a link is reported
    // by name alone (`looked` false, its facts zero) and the file handler
    // asks LookAtFile for those it wants: a scan that decides by names
    // then asks the kernel about the files whose names match, not about
    // every file of the drive, which is most of a warm walk's time.
    void SetLookAtEveryFile(bool bEvery) { m_bLookAtEveryFile = bEvery; }
    // Which files are looked at as they are listed all the same, by the
    // threads that read ahead, when not every file is.
    void SetLookHint(LookHint hint) { m_lookHint = std::move(hint); }

    // Only from inside the file handler, for the record it was given: looks
    // at the file now and fills in its facts. False when it has gone, is no
    // longer a regular file or a link, or lies on another mount since it was
    // listed: the record is then to be dropped. A file that cannot be
    // looked at (an I/O error) counts its folder as not read whole.
    bool LookAtFile();

    // Walks everything below `root` (raw path bytes; a trailing slash is
    // ignored). Folders that cannot be opened are skipped with their subtree.
    Result Walk(const QByteArray &root);

    // Folders met during the last walk that could not be opened or read.
    std::int64_t GetSkippedFolders() const { return m_nSkippedFolders; }
    // Readers used by the last walk, and how many of its folders came read ahead.
    int GetReadersUsed() const { return m_nReadersUsed; }
    std::int64_t GetFoldersReadAhead() const { return m_nFoldersReadAhead; }

private:
    struct Level
    {
        CFolderReadAhead::NodePtr node; // its listing, and its subfolders read ahead
        std::size_t pos = 0;            // the next entry of the listing
        std::size_t nextChild = 0;      // the node's next subfolder
        qsizetype parentPathLength = 0; // length of the folder path to restore on leaving
        bool countedUnreadable = false; // already counted among the folders not read whole
    };

    void LoadMountPoints(const QByteArray &rootPath);
    bool IsMountPoint(const QByteArray &path) const;
    // Whether the deepest folder is a tagged cache: the tag's signature is
    // only read for a folder whose listing named it.
    bool IsTaggedCache(const Level &level);
    // One entry of the deepest folder; false when the walk is to stop.
    bool Step();
    // An entry listed but not looked at: statx decides what it is, unless
    // it is listed as a file and files are looked at only when asked.
    void LookAt(const char *name, std::size_t nameLength, unsigned char listedType);
    // The deepest folder's descriptor; -1 (and the rest of the folder
    // given up) when it cannot be had again.
    int DeepestFd();
    // An entry whose statx failed with `error`.
    void CountUnreadableEntry(int error);
    // Enters subfolder `name` of the deepest folder; `child` is its node
    // from the listing, null when nobody read it ahead.
    void EnterFolder(const char *name, std::size_t nameLength, CFolderReadAhead::NodePtr child);
    // The root's listing, read by a reader where one may; null when the
    // walk was cancelled meanwhile.
    CFolderReadAhead::NodePtr ListRoot(int rootFd);
    // A folder for the readers to read now, where the walking thread would
    // otherwise read it itself; null when it must (no wait handler, no readers).
    CFolderReadAhead::NodePtr QueueHere(int parentFd, const QByteArray &name, const QByteArray &relativePath);
    // Whether subfolder `name` of the deepest folder (the root when there
    // is none) matches as a folder, for what its readers look at.
    bool SubfolderMatches(const char *name, std::size_t nameLength) const;
    // Takes a node from the readers, waiting as the wait handler allows;
    // false (and the walk is to stop) when it was cancelled meanwhile.
    bool TakeFromReaders(const CFolderReadAhead::NodePtr &node);
    // Lists the folder being entered on this thread, as it is now.
    void ListHere(const char *name, std::size_t nameLength, qsizetype parentLength, qsizetype nameBegin);
    void LeaveFolder();
    // Gives up the rest of the deepest folder, counted as not read whole.
    void AbandonFolder();
    // Appends a subfolder's name to the folder path; false (the path left
    // as it was) when the subfolder is a mount point, not to be entered.
    bool AppendFolderName(const char *name, std::size_t nameLength, qsizetype &parentLength, qsizetype &nameBegin);
    // Makes `level` the deepest folder, whose name ends the folder path;
    // `facts` is what its statx said.
    void PushLevel(Level &&level, qsizetype nameBegin, std::size_t nameLength, WalkFolder facts);
    void ReportFile(const char *name, std::size_t nameLength, const struct statx &st);
    void ReportUnlooked(const char *name, std::size_t nameLength);
    void SetRecordName(const char *name, std::size_t nameLength);
    void SetRecordFacts(const struct statx &st);
    void CloseAll();
    void EndWalk();

    FileHandler m_onFile;
    FolderHandler m_onFolder;
    CancelCheck m_isCancelled;
    WaitHandler m_whileWaiting;
    ReaderHook m_readerHook;
    bool m_bCancelledWaiting = false; // the cancel check said stop while the walk waited

    WalkRecord m_record; // m_record.folder is the path of the folder being read
    std::vector<Level> m_levels;
    std::vector<WalkFolder> m_path; // what m_record.chain points to
    CFolderChain m_chain;           // the descriptors of m_levels
    dev_t m_rootDevice = 0;
    std::uint64_t m_rootMountId = 0;
    bool m_bHaveMountId = false;
    // Mount points below the root, as paths relative to it ("/proc" for "/"),
    // so that a mounted folder is not even opened (a dead network mount
    // would hang the walk); the mount id of every opened folder is checked
    // as well, which catches what was mounted after the table was read.
    QSet<QByteArray> m_mountPoints;
    bool m_bKnowMountPoints = false;
    int m_nRootLength = 0;
    std::int64_t m_nSkippedFolders = 0;
    int m_nReaders = 0;
    bool m_bLookAtEveryFile = true;
    LookHint m_lookHint;
    int m_nOpenLimit = 0; // 0: a share of the process's limit
    int m_nReadersUsed = 1;
    std::int64_t m_nFoldersReadAhead = 0;
    std::unique_ptr<CFolderReadAhead> m_readAhead;
};
