#include "core/CScanSession.h"

#include "core/CFileMatcher.h"
#include "core/CFileScan.h"
#include "core/CLiveWorkItems.h"
#include "core/CProcOpenFileSource.h"
#include "core/CProtectionFilter.h"
#include "core/CSharedDataReader.h"
#include "platform/CBtrfsSnapshots.h"
#include "platform/CDirectoryWalker.h"
#include "platform/CFileSystemInfo.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <sys/stat.h>

#include <ctime>

CScanSession::CScanSession(const CFileScan &criteria, const QByteArray &drive)
    : m_criteria(criteria)
    , m_drive(drive)
    , m_protectionFactory(MachineProtection())
    , m_openFileSourceFactory(MachineOpenFiles())
    , m_bListLocked(!criteria.m_bExpress)
{
}

CScanSession::~CScanSession() = default;

CScanSession::ProtectionFactory CScanSession::MachineProtection()
{
    return &CProtection::ForDrive;
}

CScanSession::OpenFileSourceFactory CScanSession::MachineOpenFiles()
{
    return [] { return std::make_unique<CProcOpenFileSource>(); };
}

ScanOutcome CScanSession::Run(CMatchSink &sink, CScanProgress &progress)
{
    ScanOutcome outcome;
    outcome.protectedLocked = m_bListLocked;
    m_pProtection = m_protectionFactory ? m_protectionFactory(m_drive) : nullptr;
    // The lists are read while the walk begins; a file that must wait for
    // them keeps whoever shows the scan alive meanwhile.
    if (m_pProtection)
        m_pProtection->StartLoad([&progress] { progress.WhileWaiting(); });
    // What a file held open frees is nothing, so the forecast needs the open
    // files even where protection does not look for them.
    m_heldOpen = CHeldOpenFiles();
    if (!(m_pProtection && m_pProtection->KnowsOpenFiles()) && m_openFileSourceFactory) {
        if (const std::unique_ptr<COpenFileSource> source = m_openFileSourceFactory())
            m_heldOpen.Load(*source);
    }

    // Where files may share data, what a match shares is read (the walk
    // itself never opens a file), on threads of its own once protection has
    // let the match through; a drive with snapshots shares with owners no
    // scan can list.
    const FileSystemInfo drive = CFileSystemInfo::Query(m_drive);
    const bool snapshots = drive.isBtrfs && CBtrfsSnapshots::Find(m_drive) == CBtrfsSnapshots::Answer::Some;
    std::optional<CSharedDataReader> sharedData;
    if (drive.canShareExtents && m_bReadShared)
        sharedData.emplace(m_drive, snapshots, sink, m_bMapEveryFile);
    CMatchSink &listed = sharedData ? static_cast<CMatchSink &>(*sharedData) : sink;

    // Live work is an Express rule: Custom has time criteria of its own. It
    // goes with the other rules of this system, when those are switched off
    // to measure what they cost.
    std::optional<CLiveWorkItems> liveWork;
    if (m_criteria.m_bExpress && !(m_pProtection && !m_pProtection->HasLinuxRules()))
        liveWork.emplace(m_drive, m_now.value_or(std::int64_t(std::time(nullptr))),
                         [&listed](const ScanMatch &match) { listed.AddMatch(match); });
    CProtectionFilter filter(m_pProtection.get(), listed, m_bListLocked, liveWork ? &*liveWork : nullptr);
    m_pSink = &filter;
    m_pProgress = &progress;
    m_pMatcher = std::make_unique<CFileMatcher>(m_criteria);
    m_nExamined = 0;
    // Reading the package lists and open files takes a while (dpkg's query
    // alone tens of milliseconds, far more on a real system): the walk goes
    // on meanwhile, keeping what matched for when the protection can judge.
    m_bDeferring = m_pProtection && !m_pProtection->IsLoadDone();

    CDirectoryWalker walker;
    m_pWalker = &walker;
    // Most of a warm walk is the kernel's look at each file: where the
    // names decide and the progress needs no sizes, only files whose names
    // match are looked at.
    walker.SetLookAtEveryFile(m_pMatcher->NamesPassEveryFile() || progress.WantsFileFacts());
    walker.SetLookHint(m_pMatcher->MakeLookHint());
    walker.SetFileHandler([this](const WalkRecord &record) { OnFile(record); });
    walker.SetFolderHandler([this](const QByteArray &) { m_pProgress->OnFolderMet(); });
    walker.SetCancelCheck([this] { return m_pProgress->OnBetweenEntries(*m_pSink); });
    walker.SetWaitHandler([this] { m_pProgress->WhileWaiting(); });
    const CDirectoryWalker::Result result = walker.Walk(m_drive);
    // Also after a cancel: what was found before it is shown as always.
    EndDeferring();
    filter.Finish();
    if (sharedData)
        sharedData->Finish();

    outcome.rootUnavailable = result == CDirectoryWalker::Result::RootUnavailable;
    outcome.cancelled = result == CDirectoryWalker::Result::Cancelled;
    outcome.examined = m_nExamined;
    outcome.skippedFolders = walker.GetSkippedFolders();
    if (m_pProtection) {
        outcome.protectedCounts = m_pProtection->GetCounts();
        outcome.unreadableProcesses = m_pProtection->GetUnreadableProcesses();
    }
    if (liveWork)
        outcome.protectedCounts[CProtection::kLeftUnchecked] = liveWork->GetLeftUnchecked();
    outcome.sharedFiles = sharedData ? sharedData->GetSharedFiles() : 0;
    outcome.snapshots = snapshots;
    if (drive.ok) {
        const CHeldOpenFiles &held = m_pProtection && m_pProtection->KnowsOpenFiles()
                                         ? m_pProtection->GetHeldOpenFiles()
                                         : m_heldOpen;
        outcome.deletedOpen.Collect(held.GetDeletedOpen(), drive.device, drive.mountId);
    }
    m_pSink = nullptr;
    m_pProgress = nullptr;
    m_pWalker = nullptr;
    m_pMatcher.reset();
    m_pProtection.reset();
    m_heldOpen = CHeldOpenFiles();
    return outcome;
}

QStringList ScanOutcome::GetSpaceNotes() const
{
    QStringList notes;
    if (const QString held = deletedOpen.SummaryText(); !held.isEmpty())
        notes.append(held);
    if (snapshots && sharedFiles > 0)
        notes.append(LoadString(IDS_SNAPSHOTS_KEEP));
    return notes;
}

void CScanSession::OnFile(const WalkRecord &record)
{
    ++m_nExamined;
    m_pProgress->OnFileMet(record);
    if (!m_pMatcher->MatchNames(record))
        return;
    // Looked at now, the record describes what has the name at this moment;
    // gone or no longer a file, there is nothing to list.
    if (!record.looked && !m_pWalker->LookAtFile())
        return;
    if (!m_pMatcher->MatchFacts(record))
        return;
    const ScanMatch match{record, m_pMatcher->GetReason(record)};
    if (m_bDeferring) {
        if (!m_pProtection->IsLoadDone() && m_deferred.GetCount() < m_nMostDeferred) {
            m_deferred.Add(match);
            return;
        }
        EndDeferring();
    }
    HandOn(match);
}

void CScanSession::HandOn(const ScanMatch &match)
{
    ScanMatch decided = match;
    decided.heldOpen = IsHeldOpen(match.record);
    m_pSink->AddMatch(decided);
}

void CScanSession::EndDeferring()
{
    if (!m_bDeferring)
        return;
    m_bDeferring = false;
    // Thousands may be waiting: the window keeps answering while they go
    // on, as it does between two entries of the walk. They are handed on
    // whatever Cancel says, as everything found before it is.
    m_deferred.Replay([this](const ScanMatch &match) {
        HandOn(match);
        m_pProgress->OnBetweenEntries(*m_pSink);
    });
}

bool CScanSession::IsHeldOpen(const WalkRecord &record) const
{
    if (m_pProtection && m_pProtection->KnowsOpenFiles())
        return m_pProtection->IsHeldOpen(record);
    return m_heldOpen.Contains(record.device, record.inode);
}
