#pragma once

#include "core/COpenFileSource.h"

#include <cstddef>
#include <sys/types.h>
#include <vector>

// The files running processes held when it was loaded, by device and inode,
// for quick lookups during a scan. Removing such a file takes its name away
// but frees none of its blocks until the last process lets go of it.
class CHeldOpenFiles
{
public:
    // Replaces what was held with what `source` reports now.
    COpenFileSource::OpenFiles Load(COpenFileSource &source);
    bool Contains(dev_t device, ino_t inode) const;
    // Whether the file or folder held a lock.
    bool IsLocked(dev_t device, ino_t inode) const;
    bool HasLocks() const { return !m_locked.empty(); }
    bool IsEmpty() const { return m_files.empty(); }
    // What processes held open after its names were gone, on any drive.
    const std::vector<DeletedOpenFile> &GetDeletedOpen() const { return m_deleted; }
    std::size_t GetCount() const { return m_files.size(); }
    std::size_t GetMemoryBytes() const
    {
        return (m_files.capacity() + m_locked.capacity()) * sizeof(COpenFileSource::FileKey);
    }

private:
    std::vector<COpenFileSource::FileKey> m_files;  // sorted, unique
    std::vector<COpenFileSource::FileKey> m_locked; // sorted, unique
    std::vector<DeletedOpenFile> m_deleted;
};
