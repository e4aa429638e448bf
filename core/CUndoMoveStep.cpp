#include "core/CUndoMoveStep.h"

#include "res/ResourceIds.h"
#include "core/CMoveStep.h"
#include "core/CResultsModel.h"
#include "core/CStoreFolderChain.h"

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
    const int toFd = m_source.Reach(CFolderMaker::SplitLevels(below), true, result);
    const QByteArray name = store.GetPaths().GetName(index);
    FileIdentity back;
    if (toFd >= 0)
        result = m_mover.Move(fromFd, entry->arrivedName.isEmpty() ? name : entry->arrivedName, entry->arrived, toFd,
                              name, &back);
    if (!result.ok()) {
        m_source.RemoveMade();
        return result;
    }
    m_returned.push_back({index, back});
    return result;
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
