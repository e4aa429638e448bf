#pragma once

#include "platform/SharedExtent.h"

#include <cstdint>
#include <sys/types.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Which files of a btrfs subvolume may own data together with another file
// or a snapshot, read from the file system's own records of who refers to
// each extent: a few calls for the whole file system instead of opening
// and mapping every file. Only root may read those records. A file it does
// not name owns its data alone; one it names may share some of it, and its
// map says which runs.
class CBtrfsSharedFiles
{
public:
    // Reads for the subvolume the folder `fd` lies in. False where that
    // cannot be done (not btrfs, not root, records it cannot follow): every
    // file may then share.
    bool Read(int fd);

    // Whether the file may share data: always true for a file of another
    // subvolume or device, and for every file when Read failed.
    bool MayShare(dev_t device, ino_t inode) const
    {
        return !m_bRead || device != m_device || m_mayShare.count(std::uint64_t(inode)) != 0;
    }

    bool IsRead() const { return m_bRead; }

    // For a run a file's map says is shared: how many files own it
    // (`owners`), or `kept` where a tree a snapshot may share refers to
    // it, so that no scan can count them. Left alone where the records do
    // not know the run.
    void CountOwners(dev_t device, SharedExtent &run) const;

private:
    // An extent more than one file may own, or whose owners cannot be counted.
    struct SharedRecord
    {
        std::uint64_t start;
        std::uint64_t length;
        std::uint32_t owners; // 0: not to be counted
    };

    bool ReadSubvolume(int fd);
    std::uint64_t SharedUpTo(std::uint64_t root) const;
    bool ReadExtentTree(int fd);
    bool ResolveOwners(int fd, std::uint64_t bytenr);

    bool m_bRead = false;
    dev_t m_device = 0;
    std::uint64_t m_subvolume = 0;
    // Per subvolume: extents allocated up to this generation may lie in a
    // tree a snapshot shares, whatever their own records say.
    std::unordered_map<std::uint64_t, std::uint64_t> m_sharedUpTo;
    std::unordered_set<std::uint64_t> m_mayShare;
    std::vector<SharedRecord> m_shared; // by address
};
