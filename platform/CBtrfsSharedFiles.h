#pragma once

#include <cstdint>
#include <sys/types.h>
#include <unordered_set>

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

private:
    bool ReadSubvolume(int fd);
    bool ReadExtentTree(int fd);
    bool ResolveOwners(int fd, std::uint64_t bytenr);

    bool m_bRead = false;
    dev_t m_device = 0;
    std::uint64_t m_subvolume = 0;
    // Extents allocated up to this generation may lie in a tree a snapshot
    // shares, whatever their own records say.
    std::uint64_t m_sharedUpTo = 0;
    std::unordered_set<std::uint64_t> m_mayShare;
};
