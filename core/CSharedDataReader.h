#pragma once

#include "core/CMatchSink.h"
#include "core/MatchReason.h"
#include "platform/CBtrfsSharedFiles.h"
#include "platform/WalkRecord.h"

#include <QByteArray>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// Reads which runs of data the matched files share with other files, on a
// few threads of its own, and hands each match on to `next` in the order it
// came, its runs filled in. A file system takes several times longer to map
// a file's extents than to look at it, so the walk does not wait for the
// maps: matches are gathered in batches, and a batch is read while the walk
// goes on and gathers the next one.
//
// Where the file system lets us read who refers to its extents (btrfs, as
// root), only the files those records name are mapped; the others go
// straight on whenever no batch is waiting before them.
//
// Everything but the reading happens on the calling thread: matches reach
// `next` from AddMatch, RefreshWhileBusy and Finish, up to two batches later
// than they came. A match that waited in a batch is handed on without the
// walk's folder chain (gone by then): what reads the chain must sit before
// this in the line.
class CSharedDataReader : public CMatchSink
{
public:
    // `drive` as the walk names it. With `bSnapshotsKeep`, whatever a file
    // shares counts as kept by a snapshot, never freed. With `bMapEveryFile`,
    // every file is mapped even where the records say which may share (they
    // still count the owners of what is shared).
    CSharedDataReader(const QByteArray &drive, bool bSnapshotsKeep, CMatchSink &next, bool bMapEveryFile = false);
    ~CSharedDataReader() override;
    CSharedDataReader(const CSharedDataReader &) = delete;
    CSharedDataReader &operator=(const CSharedDataReader &) = delete;

    void AddMatch(const ScanMatch &match) override;
    // Hands on a batch that is read by now, then passes the call on.
    void RefreshWhileBusy(bool bShowRows) override;
    // Hands on every match still held, once its runs are read.
    void Finish();

    // Matches handed on whose data is shared.
    std::int64_t GetSharedFiles() const { return m_nSharedFiles; }

private:
    struct Held
    {
        WalkRecord record;
        MatchReason why;
        ProtectionReason protection;
        bool heldOpen;
        bool unchecked;
    };

    void ReaderLoop();
    // Whether `record` has data that another owner may hold too.
    bool MayShare(const WalkRecord &record) const;
    // Waits until the batch being read is done, hands it on, and sets the
    // readers to the one gathered since.
    void NextBatch();
    bool IsBatchRead(); // takes m_mutex

    const QByteArray m_strDrive;
    const bool m_bSnapshotsKeep;
    const bool m_bMapEveryFile;
    CMatchSink &m_next;
    std::int64_t m_nSharedFiles = 0;
    std::vector<Held> m_gathering; // the calling thread's own
    CBtrfsSharedFiles m_sharedFiles;

    std::mutex m_mutex;
    std::condition_variable m_readersWake;
    std::condition_variable m_doneWake;
    // The batch being read: each entry is written by the one reader that
    // took it, and read here only once m_nUnread is 0 (both under m_mutex).
    std::vector<Held> m_reading;
    std::size_t m_nTaken = 0;  // entries of m_reading a reader has taken
    std::size_t m_nUnread = 0; // entries of m_reading not yet read
    bool m_bStop = false;
    std::vector<std::thread> m_threads;
};
