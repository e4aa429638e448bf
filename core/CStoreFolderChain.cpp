#include "core/CStoreFolderChain.h"

#include "core/CResultStore.h"

#include <QList>

#include <algorithm>
#include <cerrno>
#include <string_view>

QByteArray CStoreFolderChain::WithoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

CStoreFolderChain::CStoreFolderChain(const CResultStore &store, const QByteArray &driveRoot)
    : m_store(store), m_strDriveRoot(WithoutTrailingSlashes(driveRoot))
{
}

int CStoreFolderChain::Reach(int folder, FileOpResult &result)
{
    const CPathArray &paths = m_store.GetPaths();
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
        const int top = missing.back();
        const std::string_view name = paths.GetFolderName(top);
        const QByteArray topPath = WithoutTrailingSlashes(QByteArray(name.data(), qsizetype(name.size())));
        if (topPath != m_strDriveRoot) {
            // A folder known by its whole path (a list read back rather than
            // walked): reached from the root one component at a time; the
            // levels it shares with the previous file's folder are kept.
            const QByteArray prefix = m_strDriveRoot == "/" ? m_strDriveRoot : m_strDriveRoot + '/';
            if (!topPath.startsWith(prefix)) {
                result = FileOpResult::Make(FileOpCode::Failed, EXDEV);
                return -1;
            }
            QList<QByteArray> components;
            for (const QByteArray &component : topPath.mid(prefix.size()).split('/'))
                if (!component.isEmpty())
                    components.append(component);
            missing.pop_back();
            for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
                const std::string_view below = paths.GetFolderName(*it);
                components.append(QByteArray(below.data(), qsizetype(below.size())));
            }
            return ReachComponents(components, result);
        }
        missing.pop_back();
        m_chainFolders.clear();
        m_chain.Clear();
        if (!m_chain.OpenRoot(m_strDriveRoot, result))
            return -1;
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
    const int fd = m_chain.GetLastFd(result);
    if (fd < 0) {
        while (m_chain.GetDepth() > 1 && !m_chain.IsOpen(m_chain.GetDepth() - 1)) {
            m_chain.Truncate(m_chain.GetDepth() - 1);
            m_chainFolders.pop_back();
        }
    }
    return fd;
}

int CStoreFolderChain::ReachComponents(const QList<QByteArray> &components, FileOpResult &result)
{
    // Store folder indices say nothing about a chain built from names: no
    // folder of the walked tree matches one of its levels.
    int common = 0;
    if (m_chain.GetDepth() > 0 && m_chain.GetName(0) == m_strDriveRoot) {
        const int depth = std::min(m_chain.GetDepth() - 1, int(components.size()));
        while (common < depth && m_chain.GetName(common + 1) == components[common])
            ++common;
        m_chain.Truncate(common + 1);
    } else {
        m_chain.Clear();
        if (!m_chain.OpenRoot(m_strDriveRoot, result)) {
            m_chainFolders.clear();
            return -1;
        }
    }
    for (qsizetype i = common; i < components.size(); ++i)
        m_chain.Push(components[i]);
    m_chainFolders.assign(std::size_t(m_chain.GetDepth()), -1);
    const int fd = m_chain.GetLastFd(result);
    if (fd < 0) {
        // Whatever failed is not kept for the next file.
        while (m_chain.GetDepth() > 1 && !m_chain.IsOpen(m_chain.GetDepth() - 1))
            m_chain.Truncate(m_chain.GetDepth() - 1);
        m_chainFolders.resize(std::size_t(m_chain.GetDepth()));
    }
    return fd;
}
