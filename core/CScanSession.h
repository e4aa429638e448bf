#pragma once

#include "core/CDeferredMatches.h"
#include "core/CDeletedOpenSpace.h"
#include "core/CHeldOpenFiles.h"
#include "core/CMatchSink.h"
#include "core/CProtection.h"
#include "platform/WalkRecord.h"

#include <QByteArray>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class CDirectoryWalker;
class CFileMatcher;
class CFileScan;
class COpenFileSource;

// What a running scan tells whoever shows it, and where it learns to stop.
class CScanProgress
{
public:
    virtual ~CScanProgress() = default;
    // Every file the walk meets, matching or not, before it is matched.
    // Unless WantsFileFacts, most come by name alone (`record.looked`
    // false): the walk asks the kernel only about files whose names match.
    virtual void OnFileMet(const WalkRecord &record) { (void)record; }
    // Every folder the walk enters, the drive's root first.
    virtual void OnFolderMet() {}
    // Whether OnFileMet needs every file's facts (its size, its blocks).
    virtual bool WantsFileFacts() const { return false; }
    // Called every few milliseconds while the walk waits for the protection
    // lists, which are read while it begins, and after every wait for a
    // folder read on another thread (a window pumps its events when due).
    virtual void WhileWaiting() {}
    // Between two entries; true stops the walk. `sink` is where the matches
    // went, for a window that shows them while they come.
    virtual bool OnBetweenEntries(CMatchSink &sink)
    {
        (void)sink;
        return false;
    }
};

// How a scan ended.
struct ScanOutcome
{
    bool rootUnavailable = false; // the drive's root could not be opened
    bool cancelled = false;
    std::int64_t examined = 0;       // files met
    std::int64_t skippedFolders = 0; // folders that could not be read
    CProtection::Counts protectedCounts{};
    int unreadableProcesses = 0;
    bool protectedLocked = false; // protected files were listed locked, not left out

    // Protected files left out of the list: none when they were listed
    // locked; never the files listed unchecked.
    std::int64_t LeftOutCount() const
    {
        std::int64_t count = 0;
        for (int reason = 1; !protectedLocked && reason < kProtectionReasonCount; ++reason)
            count += protectedCounts[std::size_t(reason)];
        return count;
    }
    // Space on the drive that files deleted but still open hold.
    CDeletedOpenSpace deletedOpen;
    // Matched files whose data other files or snapshots may own too, and
    // whether read-only snapshots of the drive exist (btrfs).
    std::int64_t sharedFiles = 0;
    bool snapshots = false;

    // What both front ends say about space no listed file shows, one text
    // per fact; empty when there is nothing to say.
    QStringList GetSpaceNotes() const;
};

// One scan of one drive, the same for every front end: the walk, the
// matching against the criteria, the protection of what installed software
// and running programs need, and which files are held open. Each match goes
// to the sink with its reason and state; progress and Cancel go through a
// CScanProgress. Express leaves protected files out, Custom hands them on
// locked; Express hands live work in temporary folders on unchecked.
class CScanSession
{
public:
    using ProtectionFactory = std::function<std::unique_ptr<CProtection>(const QByteArray &drive)>;
    using OpenFileSourceFactory = std::function<std::unique_ptr<COpenFileSource>()>;

    // `criteria` must outlive the session; `drive` is its root as raw bytes.
    CScanSession(const CFileScan &criteria, const QByteArray &drive);
    ~CScanSession();
    CScanSession(const CScanSession &) = delete;
    CScanSession &operator=(const CScanSession &) = delete;

    // Builds the protection for the drive (this machine's rules by default);
    // a factory returning null scans without protection.
    void SetProtectionFactory(ProtectionFactory factory) { m_protectionFactory = std::move(factory); }
    // Where the scan learns which files running processes hold when its
    // protection cannot tell (this machine's processes by default); null
    // counts every file free to go.
    void SetOpenFileSourceFactory(OpenFileSourceFactory factory) { m_openFileSourceFactory = std::move(factory); }
    // Protected files are handed on locked (Custom's default) or left out.
    void SetListProtectedLocked(bool bLocked) { m_bListLocked = bLocked; }
    // The time live work is judged against, in seconds since 1970 (the
    // clock when the scan starts by default): a fixed time makes a scan
    // reproducible.
    void SetNow(std::int64_t seconds) { m_now = seconds; }
    // Whether what matched files share with others is read, on a file
    // system that shares data (on by default; off only to measure it).
    void SetReadSharedData(bool bRead) { m_bReadShared = bRead; }
    // Matches kept at most while the protection is still being read (the
    // walk goes on meanwhile); past that the walk waits for it. Tests set
    // a few.
    void SetMostDeferred(std::size_t count) { m_nMostDeferred = count; }
    // Maps every matched file, even where the file system's records say
    // which files may share (to test and measure the way without records).
    void SetMapEveryFile(bool bEvery) { m_bMapEveryFile = bEvery; }

    static ProtectionFactory MachineProtection();
    static OpenFileSourceFactory MachineOpenFiles();

    // Walks the drive from start to end, or until `progress` says stop.
    ScanOutcome Run(CMatchSink &sink, CScanProgress &progress);

private:
    void OnFile(const WalkRecord &record);
    // The protection decides on the match, which goes to the sink or not.
    void HandOn(const ScanMatch &match);
    // The matches kept so far go on, the protection read whole first.
    void EndDeferring();
    bool IsHeldOpen(const WalkRecord &record) const;

    const CFileScan &m_criteria;
    QByteArray m_drive;
    ProtectionFactory m_protectionFactory;
    OpenFileSourceFactory m_openFileSourceFactory;
    bool m_bListLocked;
    std::optional<std::int64_t> m_now;

    // During Run only.
    std::unique_ptr<CProtection> m_pProtection;
    std::unique_ptr<CFileMatcher> m_pMatcher;
    CDirectoryWalker *m_pWalker = nullptr;
    CHeldOpenFiles m_heldOpen;
    CMatchSink *m_pSink = nullptr;
    CScanProgress *m_pProgress = nullptr;
    std::int64_t m_nExamined = 0;
    // On a file system that shares data between files.
    bool m_bReadShared = true;
    bool m_bMapEveryFile = false;
    // Matches met before the protection was read, while it is.
    CDeferredMatches m_deferred;
    bool m_bDeferring = false;
    std::size_t m_nMostDeferred = 16384;
};
