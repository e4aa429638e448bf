#include "core/CMoveStep.h"

#include "res/ResourceIds.h"
#include "core/CResultStore.h"
#include "platform/DeviceOf.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

CMoveStep::CMoveStep(const CResultStore &store, const QByteArray &driveRoot,
                     const QByteArray &destination, bool preservePath)
    : m_store(store), m_source(store, driveRoot), m_strDriveRoot(driveRoot), m_strDestination(destination),
      m_bPreservePath(preservePath)
{
    // The chosen folder is taken as typed (the user named it, links and all).
    m_destinationFd = ::open(destination.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_destinationFd < 0)
        m_destinationError = errno;
    else
        m_bKnowDestinationDevice = DeviceOf(m_destinationFd, m_destinationDevice);
}

bool CMoveStep::FreesSpace(int index) const
{
    // The chosen folder's file system decides; a mount met below it while
    // rebuilding a folder chain is not looked for.
    return m_store.IsValidIndex(index) && m_bKnowDestinationDevice && m_store.GetDevice(index) != m_destinationDevice;
}

CMoveStep::~CMoveStep()
{
    if (m_destinationFd >= 0)
        ::close(m_destinationFd);
}

int CMoveStep::GetStatusTextId() const { return IDS_MOVING; }

int CMoveStep::GetFailedMessageId() const { return IDS_MOVE_FAILED; }

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

FileOpResult CMoveStep::Run(int index)
{
    if (!m_store.IsValidIndex(index))
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    if (m_destinationFd < 0)
        return FileOpResult::Make(FileOpCode::Failed, m_destinationError);
    FileOpResult result;
    const int fromFd = m_source.Reach(m_store.GetPaths().GetFolderIndex(index), result);
    if (fromFd < 0)
        return result;
    const QByteArray name = m_store.GetPaths().GetName(index);
    if (!m_bPreservePath)
        return m_mover.Move(fromFd, name, m_store.GetIdentity(index), m_destinationFd, name);

    // Rebuild the file's folder chain below the chosen folder, level by
    // level and without following links: these levels come from the
    // source, not from the user, so a link placed there is refused.
    struct Level
    {
        int parentFd;
        QByteArray name;
        int fd;
        bool made;
    };
    std::vector<Level> levels;
    const auto closeAll = [&levels] {
        for (const Level &level : levels)
            ::close(level.fd);
    };
    // The file's folders below the drive root, taken from its path so that
    // a list read back (folders known by whole path) rebuilds the same way.
    const QByteArray root = CStoreFolderChain::WithoutTrailingSlashes(m_strDriveRoot);
    const QByteArray folder = m_store.GetPaths().GetFolder(index);
    QList<QByteArray> components;
    if (folder != root)
        for (const QByteArray &component : folder.mid(root == "/" ? 1 : root.size() + 1).split('/'))
            if (!component.isEmpty())
                components.append(component);
    int cur = m_destinationFd;
    for (const QByteArray &level : components) {
        const bool made = ::mkdirat(cur, level.constData(), 0777) == 0;
        const int fd = ::openat(cur, level.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            result = FileOpResult::Make(FileOpCode::Failed, errno);
            if (made)
                ::unlinkat(cur, level.constData(), AT_REMOVEDIR);
            break;
        }
        levels.push_back({cur, level, fd, made});
        cur = fd;
    }
    if (levels.size() == std::size_t(components.size()))
        result = m_mover.Move(fromFd, name, m_store.GetIdentity(index), cur, name);
    if (!result.ok()) {
        // Take away the folders made for this file, deepest first, as long
        // as they are still empty.
        for (auto it = levels.rbegin(); it != levels.rend(); ++it) {
            if (!it->made || ::unlinkat(it->parentFd, it->name.constData(), AT_REMOVEDIR) != 0)
                break;
        }
    }
    closeAll();
    return result;
}
