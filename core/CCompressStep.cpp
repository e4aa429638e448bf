#include "core/CCompressStep.h"

#include "platform/CActionJournal.h"
#include "platform/CPluginLibrary.h"
#include "platform/CVerifiedEntry.h"
#include "res/ResourceIds.h"
#include "core/CResultStore.h"
#include "core/CTrashItems.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    m_pCompressNamed = reinterpret_cast<CompressNamedFn>(
        CPluginLibrary::FindSibling(reinterpret_cast<const void *>(compress), BV_COMPRESS_NAMED_ENTRY_NAME));
}

CCompressStep::~CCompressStep()
{
    CActionJournal::Get().Clear(m_nArchiveTicket);
}

int CCompressStep::GetStatusTextId() const { return IDS_COMPRESSING; }

bool CCompressStep::NoteArchive()
{
    if (m_nArchiveTicket != 0)
        return true;
    // Noted before the first file, new archive or not: a new one is written
    // unnamed where the file system can, and where it cannot under a
    // temporary name beside it that a killed process would leave behind;
    // an existing one may be left half extended. Either way the next start
    // is told where to look.
    const qsizetype slash = m_strArchive.lastIndexOf('/');
    if (slash < 0)
        return true;
    m_nArchiveTicket =
        CActionJournal::Get().NoteArchive(slash == 0 ? QByteArray("/") : m_strArchive.left(slash), m_strArchive.mid(slash + 1));
    return m_nArchiveTicket != 0;
}

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
    if (!m_store.IsValidIndex(index) || !m_pCompress || m_bRefused || !CheckArchiveOnce())
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    const CTrashItem *trash = m_store.GetTrash().Find(index);
    if (trash && trash->isFolder)
        return StoreTrashFolder(*trash);
    const FileOpResult identity = CheckIdentity(index);
    if (!identity.ok())
        return identity;
    return Store(m_store.GetPath(index), trash ? trash->originalPath : QByteArray());
}

bool CCompressStep::CheckArchiveOnce()
{
    if (m_bArchiveChecked)
        return true;
    m_bArchiveChecked = true;
    // A call with no files opens what stands at the archive's name and
    // writes nothing; asked before the first file, so that a name taken by
    // another file refuses the whole action before any row is done or failed.
    struct stat existing {};
    if (::fstatat(AT_FDCWD, m_strArchive.constData(), &existing, AT_SYMLINK_NOFOLLOW) != 0)
        return true; // nothing there yet: a new archive
    if (m_pCompress(m_strArchive.constData(), nullptr, 0, &CompressCallback) != BV_COMPRESS_NOT_AN_ARCHIVE)
        return true; // an archive, or one that fails for each file with its own reason
    Refuse();
    return false;
}

void CCompressStep::Refuse()
{
    m_bRefused = true;
    if (m_onRefused)
        m_onRefused(m_strArchive);
}

FileOpResult CCompressStep::StoreTrashFolder(const CTrashItem &trash)
{
    // Every file first: the entry is stored whole or reported as not done.
    const QByteArray folder = trash.FilesFolder() + '/' + trash.name + '/';
    for (const CTrashItem::Member &member : trash.members) {
        CVerifiedEntry entry(m_strDriveRoot, folder + member.relativePath, member.identity);
        if (!entry.result().ok())
            return entry.result();
    }
    for (const CTrashItem::Member &member : trash.members) {
        const FileOpResult result = Store(folder + member.relativePath,
                                          trash.originalPath.isEmpty() ? QByteArray()
                                                                       : trash.originalPath + '/' + member.relativePath);
        if (!result.ok())
            return result;
    }
    return FileOpResult::Success();
}

FileOpResult CCompressStep::Store(const QByteArray &path, const QByteArray &entryName)
{
    if (!NoteArchive())
        return FileOpResult::Make(FileOpCode::Failed, errno ? errno : EIO);
    const char *paths[1] = {path.constData()};
    const char *names[1] = {entryName.constData()};
    g_nCompressCallbacks = 0;
    const int failed = m_pCompressNamed && !entryName.isEmpty()
                           ? m_pCompressNamed(m_strArchive.constData(), paths, names, 1, &CompressCallback)
                           : m_pCompress(m_strArchive.constData(), paths, 1, &CompressCallback);
    if (failed == BV_COMPRESS_NOT_AN_ARCHIVE) {
        // Taken since the first file: the same answer would come for every
        // file.
        Refuse();
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    }
    if (failed != 0) {
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
