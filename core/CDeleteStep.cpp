#include "core/CDeleteStep.h"

#include "res/ResourceIds.h"
#include "core/CResultStore.h"

#include <cerrno>

CDeleteStep::CDeleteStep(const CResultStore &store, const QByteArray &driveRoot)
    : m_store(store), m_strDriveRoot(driveRoot)
{
}

int CDeleteStep::GetStatusTextId() const { return IDS_DELETING; }

int CDeleteStep::GetFailedMessageId() const { return IDS_DELETE_FAILED; }

FileOpResult CDeleteStep::Run(int index)
{
    if (!m_store.IsValidIndex(index))
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    return m_deleter.Delete(m_strDriveRoot, m_store.GetPath(index), m_store.GetDevice(index),
                            m_store.GetInode(index));
}
