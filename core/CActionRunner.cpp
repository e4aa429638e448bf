#include "core/CActionRunner.h"

#include "core/CActionStep.h"
#include "core/CProtection.h"
#include "core/CResultStore.h"
#include "platform/CDiskSpace.h"
#include "platform/CPathInfo.h"
#include "platform/WalkRecord.h"

#include <cerrno>

CActionRunner::CActionRunner(CActionStep &step, const CResultStore &store, const QByteArray &driveRoot)
    : m_step(step), m_store(store), m_strDriveRoot(driveRoot)
{
}

bool CActionRunner::IsProtected(int item) const
{
    if (!m_pProtection || !m_store.IsValidIndex(item))
        return false;
    // Protection judges the listed file: one that is gone or was replaced is
    // left for the step to report as such, whatever now holds its inode.
    const PathInfo now = CPathInfo::LookUp(m_store.GetPath(item));
    if (now.kind == PathInfo::Missing || !m_store.GetIdentity(item).SameFile(now.identity))
        return false;
    WalkRecord record;
    record.folder = m_store.GetPaths().GetFolder(item);
    record.name = m_store.GetPaths().GetName(item);
    record.device = m_store.GetDevice(item);
    record.inode = m_store.GetInode(item);
    return m_pProtection->Check(record) != ProtectionReason::None;
}

ActionOutcome CActionRunner::Run(const std::vector<ActionRow> &rows, CActionHooks &hooks)
{
    // The drive is asked before and after, so that what the action really
    // freed can be set against what the files were expected to free. Free
    // blocks are counted whoever may use them: near a full disk the blocks
    // kept for root fill first, and the user's share would understate it.
    const bool bMeasure = m_step.ChangesDisk();
    const DiskSpace before = bMeasure ? CDiskSpace::QuerySettled(m_strDriveRoot) : DiskSpace();

    // Files of the step's own (not rows of the list), or the rows given.
    std::vector<ActionRow> own;
    for (int item : m_step.GetOwnItems())
        own.push_back({-1, item});
    const std::vector<ActionRow> &visit = own.empty() ? rows : own;

    ActionOutcome outcome;
    outcome.total = int(visit.size());
    // Room for every row at once: growing by doubling would copy a million
    // items over and over on the interface thread. Room not written to
    // costs no memory.
    outcome.doneItems.reserve(visit.size());
    if (bMeasure)
        outcome.freedItems.reserve(visit.size());
    // Inside a long copy the step asks here whether to go on.
    m_step.SetByteProgress([&hooks](std::int64_t done, std::int64_t total) {
        hooks.OnBytes(done, total);
        return !hooks.IsCancelled();
    });
    int visited = 0;
    for (auto it = visit.rbegin(); it != visit.rend(); ++it) {
        if (hooks.IsCancelled()) {
            outcome.cancelled = true;
            break;
        }
        const ActionRow &row = *it;
        const FileOpResult result =
            IsProtected(row.item) ? FileOpResult::Make(FileOpCode::Protected, EPERM) : m_step.Run(row.item);
        if (!result.ok() && result.error == ECANCELED && hooks.IsCancelled()) {
            // Stopped inside the file: it stays where it was, its row as it was.
            outcome.cancelled = true;
            break;
        }
        if (!result.ok() && m_step.IsRefused()) {
            outcome.refused = true;
            break;
        }
        if (result.ok()) {
            ++outcome.done;
            outcome.doneItems.push_back(row.item);
            if (m_step.FreesSpace(row.item))
                outcome.freedItems.push_back(row.item);
            hooks.OnRowDone(row);
        } else {
            const QByteArray where = m_step.GetFailedPath(row.item);
            const FailedFile failed{where.isEmpty() ? m_store.GetPath(row.item) : where, result};
            outcome.failures.append(failed);
            hooks.OnRowFailed(row, failed);
        }
        hooks.OnProgress(++visited, outcome.total);
        hooks.OnBetweenRows();
    }
    m_step.SetByteProgress({});
    // The step's end; a step that removes files also removes the folders
    // they left empty here (CEmptiedFolders), before the drive is measured
    // again.
    m_step.Finish();

    outcome.forecastFreedBytes = m_store.GetForecast().FreedBy(outcome.freedItems);
    if (bMeasure) {
        const DiskSpace after = CDiskSpace::QuerySettled(m_strDriveRoot);
        outcome.measured = before.ok && after.ok;
        outcome.measuredFreedBytes = outcome.measured ? after.unusedBytes - before.unusedBytes : 0;
    }
    return outcome;
}
