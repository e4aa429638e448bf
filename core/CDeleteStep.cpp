#include "core/CDeleteStep.h"

#include "res/ResourceIds.h"
#include "core/CResultStore.h"

#include <cerrno>

CDeleteStep::CDeleteStep(const CResultStore &store, const QByteArray &driveRoot)
    : m_store(store), m_strDriveRoot(CStoreFolderChain::WithoutTrailingSlashes(driveRoot)), m_chain(store, driveRoot)
{
}

int CDeleteStep::GetStatusTextId() const { return IDS_DELETING; }

int CDeleteStep::GetFailedMessageId() const { return IDS_DELETE_FAILED; }

FileOpResult CDeleteStep::Run(int index)
{
    if (!m_store.IsValidIndex(index))
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
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
