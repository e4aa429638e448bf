#include "core/CCompressStep.h"

#include "platform/CVerifiedEntry.h"
#include "res/ResourceIds.h"
#include "core/CResultStore.h"

#include <cerrno>

std::uint32_t g_nCompressCallbacks = 0;

extern "C" int CompressCallback(int, int)
{
    ++g_nCompressCallbacks;
    return 1;
}

CCompressStep::CCompressStep(const CResultStore &store, const QByteArray &driveRoot, const QByteArray &archivePath,
                             CompressFn compress, ErrorHandler onError)
    : m_store(store)
    , m_strDriveRoot(driveRoot)
    , m_strArchive(archivePath)
    , m_pCompress(compress)
    , m_onError(std::move(onError))
{
}

int CCompressStep::GetStatusTextId() const { return IDS_COMPRESSING; }

int CCompressStep::GetFailedMessageId() const { return IDS_DELETE_FAILED; }

FileOpResult CCompressStep::CheckIdentity(int index) const
{
    // Only a look: storing the file changes nothing, so there is nothing to
    // rename aside; a file that is no longer the one listed is left out.
    CVerifiedEntry entry(m_strDriveRoot, m_store.GetPath(index), m_store.GetIdentity(index));
    return entry.result();
}

FileOpResult CCompressStep::Run(int index)
{
    if (!m_store.IsValidIndex(index) || !m_pCompress)
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    const FileOpResult identity = CheckIdentity(index);
    if (!identity.ok())
        return identity;

    const QByteArray path = m_store.GetPath(index);
    const char *paths[1] = {path.constData()};
    g_nCompressCallbacks = 0;
    if (m_pCompress(m_strArchive.constData(), paths, 1, &CompressCallback) != 0) {
        if (m_onError)
            m_onError(path);
        return FileOpResult::Make(FileOpCode::Failed, EIO);
    }
    if (m_pRenamed)
        m_nRenamed += m_pRenamed();
    if (g_nCompressCallbacks >= 3)
        return FileOpResult::Make(FileOpCode::Failed, EAGAIN);
    return FileOpResult::Success();
}
