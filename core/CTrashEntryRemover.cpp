#include "core/CTrashEntryRemover.h"

#include "core/CTrashInfo.h"
#include "core/CTrashItems.h"
#include "platform/CTrashFiles.h"
#include "platform/CVerifiedEntry.h"

#include <cerrno>
#include <unistd.h>

namespace {

// The descriptor of `folder` reached from the drive root, or -1.
int OpenBelowRoot(const QByteArray &driveRoot, const QByteArray &folder, FileOpResult &result)
{
    QByteArray relative;
    QByteArray name;
    if (!CVerifiedEntry::SplitBelowRoot(driveRoot, folder, relative, name)) {
        result = FileOpResult::Make(FileOpCode::Failed, EINVAL);
        return -1;
    }
    return CVerifiedEntry::OpenFolder(driveRoot, relative.isEmpty() ? name : relative + '/' + name, result);
}

} // namespace

CTrashEntryRemover::CTrashEntryRemover(const QByteArray &driveRoot) : m_strDriveRoot(driveRoot) {}

FileOpResult CTrashEntryRemover::DeleteFolderEntry(const CTrashItem &item)
{
    FileOpResult first = FileOpResult::Success();
    const QByteArray entry = item.FilesFolder() + '/' + item.name + '/';
    for (const CTrashItem::Member &member : item.members) {
        const FileOpResult result = m_deleter.Delete(m_strDriveRoot, entry + member.relativePath, member.identity);
        // A file already gone (an earlier, interrupted Delete) is no obstacle.
        if (!result.ok() && result.code != FileOpCode::Gone && first.ok())
            first = result;
    }
    FileOpResult reached;
    const int filesFd = OpenBelowRoot(m_strDriveRoot, item.FilesFolder(), reached);
    if (filesFd < 0)
        return first.ok() ? reached : first;
    const bool gone = CTrashFiles::RemoveEmptyTree(filesFd, item.name);
    ::close(filesFd);
    if (gone)
        return FileOpResult::Success();
    // Something the walk did not list (or could not remove) is still there.
    return first.ok() ? FileOpResult::Make(FileOpCode::Failed, ENOTEMPTY) : first;
}

void CTrashEntryRemover::ForgetEntry(const CTrashItem &item)
{
    if (item.hasInfo)
        m_deleter.Delete(m_strDriveRoot, item.InfoFolder() + '/' + item.InfoName(), item.infoIdentity);
    if (!item.isFolder)
        return;
    FileOpResult reached;
    const int trashFd = OpenBelowRoot(m_strDriveRoot, item.trashFolder, reached);
    if (trashFd < 0)
        return;
    QByteArray sizes;
    if (CTrashFiles::ReadSmallAt(trashFd, "directorysizes", sizes)) {
        const QByteArray kept = CTrashInfo::DirectorySizesWithout(sizes, item.name);
        if (kept.size() != sizes.size())
            CTrashFiles::ReplaceAt(trashFd, "directorysizes", kept);
    }
    ::close(trashFd);
}
