#include "core/CEmptiedFolders.h"

#include "core/CResultStore.h"
#include "platform/CEmptyFolderRemover.h"

#include <climits>
#include <string_view>

CEmptiedFolders::CEmptiedFolders(const CResultStore &store, const QByteArray &driveRoot)
    : m_store(store), m_strDriveRoot(driveRoot)
{
}

void CEmptiedFolders::NoteLeft(int index)
{
    if (!m_store.IsValidIndex(index))
        return;
    const int folder = m_store.GetPaths().GetFolderIndex(index);
    // Actions visit files folder by folder: most repeats are the last one.
    if (m_leftFolders.empty() || m_leftFolders.back() != folder)
        m_leftFolders.push_back(folder);
}

int CEmptiedFolders::RemoveEmptied()
{
    const CPathArray &paths = m_store.GetPaths();
    const int count = paths.GetFolderCount();
    // For each folder, the shallowest rule depth it was reached from (INT_MAX:
    // not a candidate). A folder reached before from a rule at least as high
    // has had its ancestors marked already.
    std::vector<int> reach(std::size_t(count), INT_MAX);
    int lowest = count;
    for (const int left : m_leftFolders) {
        const int stop = m_store.GetRuleFolderDepth(left);
        if (stop < 0)
            continue;
        for (int folder = left; folder >= 0 && paths.GetFolderDepth(folder) > stop;
             folder = paths.GetFolderParent(folder)) {
            int &best = reach[std::size_t(folder)];
            if (best <= stop)
                break;
            best = stop;
            lowest = std::min(lowest, folder);
        }
    }
    m_leftFolders.clear();

    // A parent has a smaller index than its children, so from the highest
    // index down every folder comes after all of its subfolders.
    std::vector<char> keep(std::size_t(count), 0);
    CStoreFolderChain chain(m_store, m_strDriveRoot);
    int removed = 0;
    for (int folder = count - 1; folder >= lowest; --folder) {
        if (reach[std::size_t(folder)] == INT_MAX)
            continue;
        const int parent = paths.GetFolderParent(folder);
        if (keep[std::size_t(folder)]) {
            keep[std::size_t(parent)] = 1; // a subfolder stayed, so this one is not empty
            continue;
        }
        FileOpResult reached;
        const int parentFd = chain.Reach(parent, reached);
        const std::string_view name = paths.GetFolderName(folder);
        const CEmptyFolderRemover::Outcome outcome =
            parentFd < 0 ? CEmptyFolderRemover::Outcome::Kept
                         : CEmptyFolderRemover::RemoveIfEmpty(parentFd, QByteArray(name.data(), qsizetype(name.size())));
        if (outcome == CEmptyFolderRemover::Outcome::Removed)
            ++removed;
        else if (outcome != CEmptyFolderRemover::Outcome::Gone)
            keep[std::size_t(parent)] = 1;
    }
    m_nRemoved += removed;
    return removed;
}
