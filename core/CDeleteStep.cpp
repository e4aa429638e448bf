#include "core/CDeleteStep.h"

#include "res/ResourceIds.h"
#include "core/CResultStore.h"

#include <cerrno>

CDeleteStep::CDeleteStep(const CResultStore &store, const QByteArray &driveRoot)
    : m_store(store)
    , m_strDriveRoot(CStoreFolderChain::WithoutTrailingSlashes(driveRoot))
    , m_chain(store, driveRoot)
    , m_trash(m_strDriveRoot)
    , m_emptied(store, m_strDriveRoot)
{
}

int CDeleteStep::GetStatusTextId() const { return IDS_DELETING; }

int CDeleteStep::GetFailedMessageId() const { return IDS_DELETE_FAILED; }

FileOpResult CDeleteStep::Run(int index)
{
    if (!m_store.IsValidIndex(index))
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    const CTrashItem *item = m_store.GetTrash().Find(index);
    if (!item) {
        const FileOpResult result = DeleteFile(index);
        if (result.ok())
            m_emptied.NoteLeft(index);
        return result;
    }
    // A trash entry goes whole or keeps its information.
    const FileOpResult result = item->isFolder ? m_trash.DeleteFolderEntry(*item) : DeleteFile(index);
    if (result.ok())
        m_trash.ForgetEntry(*item);
    return result;
}

void CDeleteStep::Finish()
{
    m_emptied.RemoveEmptied();
}

FileOpResult CDeleteStep::DeleteFile(int index)
{
    const FileIdentity expected = m_store.GetIdentity(index);
    FileOpResult reached;
    const int fd = m_chain.Reach(m_store.GetPaths().GetFolderIndex(index), reached);
    if (fd >= 0)
        return m_deleter.Delete(fd, m_store.GetPaths().GetName(index), expected);
    // A folder whose tree does not start at the drive root: the path is
    // followed from the root instead, which refuses what lies outside it.
    if (reached.code == FileOpCode::Failed && reached.error == EXDEV)
        return m_deleter.Delete(m_strDriveRoot, m_store.GetPath(index), expected);
    return reached;
}
