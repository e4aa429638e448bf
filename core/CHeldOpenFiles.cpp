#include "core/CHeldOpenFiles.h"

#include <algorithm>
#include <utility>

namespace {

void SortUnique(std::vector<COpenFileSource::FileKey> &keys)
{
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    keys.shrink_to_fit();
}

bool Holds(const std::vector<COpenFileSource::FileKey> &keys, dev_t device, ino_t inode)
{
    return !keys.empty() && std::binary_search(keys.begin(), keys.end(), COpenFileSource::FileKey{device, inode});
}

} // namespace

COpenFileSource::OpenFiles CHeldOpenFiles::Load(COpenFileSource &source)
{
    COpenFileSource::OpenFiles open = source.LoadOpenFiles();
    SortUnique(open.files);
    SortUnique(open.locked);
    m_files = std::move(open.files);
    m_locked = std::move(open.locked);
    m_deleted = std::move(open.deleted);
    open.files.clear();
    open.locked.clear();
    open.deleted.clear();
    return open; // the counts of processes, without the files
}

bool CHeldOpenFiles::Contains(dev_t device, ino_t inode) const
{
    return Holds(m_files, device, inode);
}

bool CHeldOpenFiles::IsLocked(dev_t device, ino_t inode) const
{
    return Holds(m_locked, device, inode);
}
