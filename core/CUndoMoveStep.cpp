#include "core/CUndoMoveStep.h"

#include "res/ResourceIds.h"
#include "core/CMoveStep.h"
#include "core/CResultsModel.h"
#include "core/CStoreFolderChain.h"
#include "core/CTrashFolderMover.h"
#include "platform/CTrashFiles.h"

#include <QHash>

#include <cerrno>

CUndoMoveStep::CUndoMoveStep(CResultsModel &model, std::unique_ptr<CMoveRecord> record)
    : m_model(model), m_pRecord(record ? std::move(record) : std::make_unique<CMoveRecord>(QByteArray(), QByteArray(), false))
{
    m_destination.OpenBase(m_pRecord->GetDestination(), m_destinationResult);
    m_source.OpenBase(CStoreFolderChain::WithoutTrailingSlashes(m_pRecord->GetDriveRoot()), m_sourceResult);
}

int CUndoMoveStep::GetStatusTextId() const { return IDS_UNDOING_MOVE; }

int CUndoMoveStep::GetFailedMessageId() const { return IDS_UNDO_MOVE_FAILED; }

std::vector<int> CUndoMoveStep::GetOwnItems() const
{
    std::vector<int> items;
    items.reserve(m_pRecord->GetEntries().size());
    for (const CMoveRecord::Entry &entry : m_pRecord->GetEntries())
        items.push_back(entry.item);
    return items;
}

QByteArray CUndoMoveStep::MovedFolder(int index) const
{
    if (!m_pRecord->GetPreservePath())
        return QByteArray();
    return CMoveStep::FolderBelowRoot(m_pRecord->GetDriveRoot(), m_model.GetStore().GetPaths().GetFolder(index));
}

QByteArray CUndoMoveStep::GetFailedPath(int index) const
{
    if (!m_pRecord->Find(index) || !m_model.GetStore().IsValidIndex(index))
        return QByteArray();
    QByteArray path = m_pRecord->GetDestination();
    if (!path.endsWith('/'))
        path += '/';
    const QByteArray folder = MovedFolder(index);
    if (!folder.isEmpty())
        path += folder + '/';
    const QByteArray &arrivedName = m_pRecord->Find(index)->arrivedName;
    return path + (arrivedName.isEmpty() ? m_model.GetStore().GetPaths().GetName(index) : arrivedName);
}

FileOpResult CUndoMoveStep::Run(int index)
{
    const CMoveRecord::Entry *entry = m_pRecord->Find(index);
    const CResultStore &store = m_model.GetStore();
    if (!entry || !store.IsValidIndex(index) || store.IsListed(index))
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    if (!m_destination.HasBase())
        return m_destinationResult;
    if (!m_source.HasBase())
        return m_sourceResult;

    // Where the file is: below the folder the user chose, through the
    // levels the Move made or found, never through a link put there since.
    FileOpResult result;
    const int fromFd = m_destination.Reach(CFolderMaker::SplitLevels(MovedFolder(index)), false, result);
    if (fromFd < 0)
        return result;

    // Where it goes: its old folder, made again if it was removed since.
    const QByteArray folder = store.GetPaths().GetFolder(index);
    const QByteArray root = CStoreFolderChain::WithoutTrailingSlashes(m_pRecord->GetDriveRoot());
    const QByteArray below = CMoveStep::FolderBelowRoot(root, folder);
    if (below.isEmpty() && CStoreFolderChain::WithoutTrailingSlashes(folder) != root)
        return FileOpResult::Make(FileOpCode::Failed, EXDEV);
    const QByteArray name = store.GetPaths().GetName(index);
    const QByteArray movedName = entry->arrivedName.isEmpty() ? name : entry->arrivedName;
    CTrashItem *trash = m_model.GetTrash().Find(index);
    const CMoveRecord::TrashEntry *taken = m_pRecord->FindTrash(index);
    FileIdentity back = store.GetIdentity(index);
    m_mover.SetCopyProgress(GetByteProgress());
    if (trash && trash->isFolder) {
        if (!taken)
            return FileOpResult::Make(FileOpCode::Failed, EINVAL);
        result = ReturnTrashFolder(*trash, *taken, CFolderMaker::SplitLevels(MovedFolder(index)) << movedName,
                                   CFolderMaker::SplitLevels(below) << name);
    } else {
        const int toFd = m_source.Reach(CFolderMaker::SplitLevels(below), true, result);
        if (toFd >= 0)
            result = m_mover.Move(fromFd, movedName, entry->arrived, toFd, name, &back);
        if (!result.ok())
            m_source.RemoveMade();
    }
    if (!result.ok())
        return result;
    if (trash && taken)
        ReturnTrashInfo(*trash, *taken, root);
    m_returned.push_back({index, back});
    return result;
}

FileOpResult CUndoMoveStep::ReturnTrashFolder(CTrashItem &trash, const CMoveRecord::TrashEntry &taken,
                                              const QList<QByteArray> &fromLevels, const QList<QByteArray> &toLevels)
{
    if (taken.members.size() != trash.members.size())
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    std::vector<CTrashItem::Member> moved = trash.members;
    for (std::size_t i = 0; i < moved.size(); ++i)
        moved[i].identity = taken.members[i];
    std::vector<FileIdentity> back;
    std::vector<CFolderMaker::MadeFolder> made;
    const FileOpResult result =
        CTrashFolderMover::Move(m_mover, moved, {m_destination, fromLevels}, {m_source, toLevels}, back, made);
    if (result.ok())
        for (std::size_t i = 0; i < back.size(); ++i)
            trash.members[i].identity = back[i]; // what a later Delete checks
    return result;
}

void CUndoMoveStep::ReturnTrashInfo(CTrashItem &trash, const CMoveRecord::TrashEntry &taken, const QByteArray &root)
{
    if (!taken.hadInfo)
        return;
    // Without it the entry would be back in files/ but hidden from every
    // file manager; a name taken meanwhile is never replaced.
    FileOpResult result;
    const int infoFd =
        m_source.Reach(CFolderMaker::SplitLevels(CMoveStep::FolderBelowRoot(root, trash.InfoFolder())), true, result);
    FileIdentity written;
    trash.hasInfo = infoFd >= 0 && CTrashFiles::CreateAt(infoFd, trash.InfoName(), taken.info, &written).ok();
    trash.infoIdentity = written;
}

void CUndoMoveStep::Finish()
{
    std::vector<int> items;
    items.reserve(m_returned.size());
    for (const Returned &returned : m_returned)
        items.push_back(returned.item);
    // The old rows hold only while the list is as the Move left it (no
    // sort since); otherwise the rows go where the sort puts them.
    std::vector<std::pair<int, int>> positions;
    if (m_pRecord->ListUnchanged(m_model.GetLayoutGeneration(), m_model.rowCount()))
        positions = m_pRecord->ReturnPositions(items);
    QHash<int, int> rowOfItem;
    for (const auto &[row, item] : positions)
        rowOfItem.insert(item, row);
    std::vector<CResultsModel::ReturningRow> rows;
    rows.reserve(m_returned.size());
    for (const Returned &returned : m_returned)
        rows.push_back({rowOfItem.value(returned.item, -1), returned.item, returned.identity});
    m_model.ReturnRows(std::move(rows));
    m_returned.clear();

    // The folders the Move made, deepest first; those still holding
    // anything (a file that could not go back) stay.
    const std::vector<CFolderMaker::MadeFolder> &made = m_pRecord->GetMadeFolders();
    for (auto it = made.rbegin(); it != made.rend(); ++it)
        m_destination.RemoveIfEmpty(*it);
}
