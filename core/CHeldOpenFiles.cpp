#include "core/CHeldOpenFiles.h"

#include <algorithm>
#include <utility>

COpenFileSource::OpenFiles CHeldOpenFiles::Load(COpenFileSource &source)
{
    COpenFileSource::OpenFiles open = source.LoadOpenFiles();
    std::sort(open.files.begin(), open.files.end());
    open.files.erase(std::unique(open.files.begin(), open.files.end()), open.files.end());
    open.files.shrink_to_fit();
    m_files = std::move(open.files);
    open.files.clear();
    return open; // the counts of processes, without the files
}

bool CHeldOpenFiles::Contains(dev_t device, ino_t inode) const
{
    return !m_files.empty()
           && std::binary_search(m_files.begin(), m_files.end(), COpenFileSource::FileKey{device, inode});
}
