#include "core/CMoveStep.h"

#include "res/ResourceIds.h"
#include "core/CResultStore.h"
#include "core/CTrashFolderMover.h"
#include "platform/CTrashFiles.h"

#include <cerrno>

CMoveStep::CMoveStep(const CResultStore &store, const QByteArray &driveRoot,
                     const QByteArray &destination, bool preservePath)
    : m_store(store), m_source(store, driveRoot), m_strDriveRoot(driveRoot), m_strDestination(destination),
      m_bPreservePath(preservePath), m_pRecord(std::make_unique<CMoveRecord>(driveRoot, destination, preservePath)),
      m_emptied(store, driveRoot), m_trash(driveRoot)
{
    // The chosen folder is taken as typed (the user named it, links and all).
    if (m_destination.OpenBase(destination, m_destinationResult))
        m_bKnowDestinationDevice = m_destination.GetBaseDevice(m_destinationDevice);
}

bool CMoveStep::FreesSpace(int index) const
{
    // The chosen folder's file system decides; a mount met below it while
    // rebuilding a folder chain is not looked for.
    return m_store.IsValidIndex(index) && m_bKnowDestinationDevice && m_store.GetDevice(index) != m_destinationDevice;
}

CMoveStep::~CMoveStep() = default;

int CMoveStep::GetStatusTextId() const { return IDS_MOVING; }

int CMoveStep::GetFailedMessageId() const { return IDS_MOVE_FAILED; }

std::unique_ptr<CMoveRecord> CMoveStep::TakeRecord()
{
    std::unique_ptr<CMoveRecord> record = std::move(m_pRecord);
    m_pRecord = std::make_unique<CMoveRecord>(m_strDriveRoot, m_strDestination, m_bPreservePath);
    return record;
}

QByteArray CMoveStep::DestinationPath(const QByteArray &destination, const QByteArray &driveRoot,
                                      const QByteArray &sourcePath, bool preservePath)
{
    QByteArray result = destination;
    if (!result.endsWith('/'))
        result += '/';
    if (!preservePath)
        return result + sourcePath.mid(sourcePath.lastIndexOf('/') + 1);
    const QByteArray root = CStoreFolderChain::WithoutTrailingSlashes(driveRoot);
    QByteArray below = sourcePath.mid(root == "/" ? 1 : root.size());
    while (below.startsWith('/'))
        below.remove(0, 1);
    return result + below;
}

QByteArray CMoveStep::FolderBelowRoot(const QByteArray &driveRoot, const QByteArray &folder)
{
    const QByteArray root = CStoreFolderChain::WithoutTrailingSlashes(driveRoot);
    const QByteArray prefix = root == "/" ? root : root + '/';
    if (!folder.startsWith(prefix))
        return QByteArray();
    return CFolderMaker::SplitLevels(folder.mid(prefix.size())).join('/');
}

QList<QByteArray> CMoveStep::LevelsBelowRoot(const QByteArray &folder) const
{
    return CFolderMaker::SplitLevels(FolderBelowRoot(m_strDriveRoot, folder));
}

FileOpResult CMoveStep::Run(int index)
{
    if (!m_store.IsValidIndex(index))
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    if (!m_destination.HasBase())
        return m_destinationResult;
    // With Preserve Path the file's folders below the drive root, taken from
    // its path so that a list read back (folders known by whole path)
    // rebuilds the same way, are made below the chosen folder; these levels
    // come from the source, not from the user, so a link there is refused.
    const QByteArray below =
        m_bPreservePath ? FolderBelowRoot(m_strDriveRoot, m_store.GetPaths().GetFolder(index)) : QByteArray();
    const CTrashItem *trash = m_store.GetTrash().Find(index);
    m_mover.SetCopyProgress(GetByteProgress());
    if (trash && trash->isFolder)
        return MoveTrashFolder(index, *trash, below);
    FileOpResult result;
    const int fromFd = m_source.Reach(m_store.GetPaths().GetFolderIndex(index), result);
    if (fromFd < 0)
        return result;
    const QByteArray name = m_store.GetPaths().GetName(index);
    // A trash entry goes back under the name it had before it was trashed.
    const QByteArray toName = trash && !trash->originalName.isEmpty() ? trash->originalName : name;
    const int toFd = m_destination.Reach(CFolderMaker::SplitLevels(below), true, result);
    FileIdentity arrived;
    if (toFd >= 0)
        result = m_mover.Move(fromFd, name, m_store.GetIdentity(index), toFd, toName, &arrived);
    if (!result.ok()) {
        // Take away the folders made for this file, deepest first, as long
        // as they are still empty.
        m_destination.RemoveMade();
        return result;
    }
    if (m_bKeepRecord) {
        m_pRecord->AddMadeFolders(m_destination.GetMade());
        CMoveRecord::Entry entry;
        entry.item = index;
        entry.arrived = arrived;
        entry.arrivedName = toName == name ? QByteArray() : toName;
        m_pRecord->AddMoved(entry);
    }
    if (trash)
        LeaveTrash(index, *trash, {}, true);
    else
        m_emptied.NoteLeft(index);
    return result;
}

bool CMoveStep::OpenTrashFolders(FileOpResult &result)
{
    return m_trashFolders.HasBase()
           || m_trashFolders.OpenBase(CStoreFolderChain::WithoutTrailingSlashes(m_strDriveRoot), result);
}

FileOpResult CMoveStep::MoveTrashFolder(int index, const CTrashItem &trash, const QByteArray &below)
{
    FileOpResult result;
    if (!OpenTrashFolders(result))
        return result;
    const QByteArray toName = trash.originalName.isEmpty() ? trash.name : trash.originalName;
    std::vector<FileIdentity> arrived;
    std::vector<CFolderMaker::MadeFolder> made;
    result = CTrashFolderMover::Move(m_mover, trash.members,
                                     {m_trashFolders, LevelsBelowRoot(trash.FilesFolder()) << trash.name},
                                     {m_destination, CFolderMaker::SplitLevels(below) << toName}, arrived, made);
    if (!result.ok())
        return result;
    // The entry's folders, now empty, leave the trash with its files;
    // anything put in them since the scan keeps them, and keeps the
    // entry's information with what is left of it.
    FileOpResult reached;
    const int filesFd = m_trashFolders.Reach(LevelsBelowRoot(trash.FilesFolder()), false, reached);
    const bool gone = filesFd >= 0 && CTrashFiles::RemoveEmptyTree(filesFd, trash.name);
    if (m_bKeepRecord) {
        m_pRecord->AddMadeFolders(made);
        CMoveRecord::Entry entry;
        entry.item = index;
        entry.arrivedName = toName == trash.name ? QByteArray() : toName;
        m_pRecord->AddMoved(entry);
    }
    LeaveTrash(index, trash, std::move(arrived), gone);
    return result;
}

void CMoveStep::LeaveTrash(int index, const CTrashItem &trash, std::vector<FileIdentity> members, bool gone)
{
    CMoveRecord::TrashEntry taken;
    taken.members = std::move(members);
    if (gone && trash.hasInfo && m_bKeepRecord) {
        FileOpResult reached;
        if (OpenTrashFolders(reached)) {
            const int infoFd = m_trashFolders.Reach(LevelsBelowRoot(trash.InfoFolder()), false, reached);
            taken.hadInfo = infoFd >= 0 && CTrashFiles::ReadSmallAt(infoFd, trash.InfoName(), taken.info);
        }
    }
    if (m_bKeepRecord)
        m_pRecord->AddTrash(index, std::move(taken));
    if (gone)
        m_trash.ForgetEntry(trash);
}

void CMoveStep::Finish()
{
    m_emptied.RemoveEmptied();
}
