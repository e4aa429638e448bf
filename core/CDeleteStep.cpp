#include "core/CDeleteStep.h"

#include "res/ResourceIds.h"
#include "core/CResultStore.h"

#include <cerrno>
#include <string_view>

namespace {

QByteArray WithoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

} // namespace

CDeleteStep::CDeleteStep(const CResultStore &store, const QByteArray &driveRoot)
    : m_store(store), m_strDriveRoot(WithoutTrailingSlashes(driveRoot))
{
}

int CDeleteStep::GetStatusTextId() const { return IDS_DELETING; }

int CDeleteStep::GetFailedMessageId() const { return IDS_DELETE_FAILED; }

bool CDeleteStep::ReachFolder(int folder, int &fd, FileOpResult &result)
{
    const CPathArray &paths = m_store.GetPaths();
    // The folders between the chain's deepest shared level and `folder`,
    // deepest first; only those are opened.
    std::vector<int> missing;
    int f = folder;
    while (f >= 0) {
        const int depth = paths.GetFolderDepth(f);
        if (depth < int(m_chainFolders.size()) && m_chainFolders[std::size_t(depth)] == f)
            break;
        missing.push_back(f);
        f = paths.GetFolderParent(f);
    }
    if (f < 0) {
        // A new top-level folder: it must be the drive root itself.
        const int top = missing.back();
        const std::string_view name = paths.GetFolderName(top);
        if (WithoutTrailingSlashes(QByteArray(name.data(), qsizetype(name.size()))) != m_strDriveRoot)
            return false;
        missing.pop_back();
        m_chainFolders.clear();
        m_chain.Clear();
        if (!m_chain.OpenRoot(m_strDriveRoot, m_rootResult)) {
            fd = -1;
            result = m_rootResult;
            return true;
        }
        m_chainFolders.push_back(top);
    } else {
        const int keep = paths.GetFolderDepth(f) + 1;
        m_chain.Truncate(keep);
        m_chainFolders.resize(std::size_t(keep));
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const std::string_view name = paths.GetFolderName(*it);
        m_chain.Push(QByteArray(name.data(), qsizetype(name.size())));
        m_chainFolders.push_back(*it);
    }
    fd = m_chain.GetLastFd(result);
    if (fd < 0) {
        // Forget the levels that could not be reached, so that the next
        // file tries them afresh.
        while (m_chain.GetDepth() > 1 && !m_chain.IsOpen(m_chain.GetDepth() - 1)) {
            m_chain.Truncate(m_chain.GetDepth() - 1);
            m_chainFolders.pop_back();
        }
    }
    return true;
}

FileOpResult CDeleteStep::Run(int index)
{
    if (!m_store.IsValidIndex(index))
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    const FileIdentity expected = m_store.GetIdentity(index);
    int fd = -1;
    FileOpResult reached;
    if (!ReachFolder(m_store.GetPaths().GetFolderIndex(index), fd, reached))
        return m_deleter.Delete(m_strDriveRoot, m_store.GetPath(index), expected);
    if (fd < 0)
        return reached;
    return m_deleter.Delete(fd, m_store.GetPaths().GetName(index), expected);
}
