#include "core/CSharedDataReader.h"

#include "platform/CFileExtents.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

namespace {

// Large enough that waking the readers costs little against a batch's
// reading, small enough that rows still come while they are found.
constexpr std::size_t kBatch = 256;

int ReaderThreads()
{
    // The walk keeps a core busy; the readers take the rest, up to six.
    const unsigned cores = std::thread::hardware_concurrency();
    return int(std::clamp(cores > 1 ? cores - 1 : 1u, 1u, 6u));
}

// Runs of one file that overlap without being the same run (part of its
// data cloned onto another part of it) would count the same blocks in two
// groups: they never surely come back.
void KeepOverlaps(std::vector<SharedExtent> &shared)
{
    if (shared.size() < 2)
        return;
    std::vector<std::size_t> order(shared.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return shared[a].physical < shared[b].physical; });
    // The run reaching furthest so far: any earlier run a run overlaps, it
    // overlaps too.
    SharedExtent *furthest = nullptr;
    for (const std::size_t i : order) {
        SharedExtent &run = shared[i];
        if (run.physical == 0)
            continue;
        if (furthest) {
            const bool same = run.physical == furthest->physical && run.length == furthest->length;
            if (!same && run.physical < furthest->physical + furthest->length)
                furthest->kept = run.kept = true;
            if (run.physical + run.length <= furthest->physical + furthest->length)
                continue;
        }
        furthest = &run;
    }
}

} // namespace

CSharedDataReader::CSharedDataReader(const QByteArray &drive, bool bSnapshotsKeep, CMatchSink &next, bool bMapEveryFile)
    : m_strDrive(drive)
    , m_bSnapshotsKeep(bSnapshotsKeep)
    , m_bMapEveryFile(bMapEveryFile)
    , m_next(next)
{
    const int fd = ::open(drive.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0) {
        m_sharedFiles.Read(fd);
        ::close(fd);
    }
}

CSharedDataReader::~CSharedDataReader()
{
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_readersWake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

bool CSharedDataReader::MayShare(const WalkRecord &record) const
{
    // Only a regular file's own blocks can be shared; a file with none has
    // nothing to map.
    return record.allocatedBytes > 0 && (record.identity.type & S_IFMT) == S_IFREG
           && (m_bMapEveryFile || m_sharedFiles.MayShare(record.device, record.inode));
}

void CSharedDataReader::AddMatch(const ScanMatch &match)
{
    // Nothing waits before it and it has nothing to map: no need to hold it.
    // (m_reading changes only on this thread.)
    if (m_gathering.empty() && m_reading.empty() && !MayShare(match.record)) {
        m_next.AddMatch(match);
        return;
    }
    Held held{match.record, match.why, match.protection, match.heldOpen, match.unchecked};
    held.record.chain = nullptr; // the walk's chain is gone by the time it is handed on
    held.record.chainLength = 0;
    held.record.sharedExtents.clear();
    m_gathering.push_back(std::move(held));
    if (m_gathering.size() >= kBatch)
        NextBatch();
}

void CSharedDataReader::RefreshWhileBusy(bool bShowRows)
{
    if (!m_gathering.empty() && IsBatchRead())
        NextBatch();
    m_next.RefreshWhileBusy(bShowRows);
}

void CSharedDataReader::Finish()
{
    NextBatch();
    NextBatch();
}

bool CSharedDataReader::IsBatchRead()
{
    std::lock_guard lock(m_mutex);
    return m_nUnread == 0;
}

void CSharedDataReader::NextBatch()
{
    {
        std::unique_lock lock(m_mutex);
        m_doneWake.wait(lock, [this] { return m_nUnread == 0; });
    }
    // The readers are idle until the next batch is set: the read one is
    // this thread's alone.
    for (const Held &held : m_reading) {
        ScanMatch match{held.record, held.why};
        match.protection = held.protection;
        match.heldOpen = held.heldOpen;
        match.unchecked = held.unchecked;
        if (!held.record.sharedExtents.empty())
            ++m_nSharedFiles;
        m_next.AddMatch(match);
    }
    m_reading.clear();
    if (m_gathering.empty())
        return;
    if (m_threads.empty()) {
        for (int i = ReaderThreads(); i > 0; --i)
            m_threads.emplace_back([this] { ReaderLoop(); });
    }
    {
        std::lock_guard lock(m_mutex);
        m_reading.swap(m_gathering);
        m_nTaken = 0;
        m_nUnread = m_reading.size();
    }
    m_readersWake.notify_all();
}

void CSharedDataReader::ReaderLoop()
{
    CFileExtents extents(m_strDrive);
    std::vector<SharedExtent> shared;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_readersWake.wait(lock, [this] { return m_bStop || m_nTaken < m_reading.size(); });
        if (m_bStop)
            return;
        Held &held = m_reading[m_nTaken++];
        lock.unlock();
        WalkRecord &record = held.record;
        if (MayShare(record) && extents.ReadShared(record, shared) == CFileExtents::Result::Read && !shared.empty()) {
            // Whatever a snapshot shares, it keeps: no owner the scan meets
            // can let it go. Where the records count a run's owners, the
            // scan must meet them all.
            for (SharedExtent &extent : shared) {
                extent.kept = extent.kept || m_bSnapshotsKeep;
                m_sharedFiles.CountOwners(record.device, extent);
            }
            KeepOverlaps(shared);
            record.sharedExtents = shared;
        }
        lock.lock();
        if (--m_nUnread == 0)
            m_doneWake.notify_one();
    }
}
