#pragma once

#include "core/CChunkedArray.h"
#include "core/CSharedExtentGroups.h"

#include <cstdint>
#include <functional>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

// What removing the checked files would really give back to the drive, as
// opposed to the sum of their lengths: a sparse file frees only the blocks it
// has; a file with several hard links frees its blocks only when its last
// link goes, so it counts only when every one of its links is checked (a link
// the scan did not list keeps it at 0); a file a running process holds open
// frees nothing until the process lets go; data a file shares with other
// files or snapshots comes back surely only when every owner goes (see
// CSharedExtentGroups), and otherwise counts only in what it may free "up
// to".
//
// Files are known by the index they were added under, as in the result
// store, and every check change costs constant time, so the figure can
// follow every click on a list of a million files.
class CFreeForecast
{
public:
    // Adds the next file (its index is the count before the call).
    // `allocatedBytes`: the blocks it has on disk, in bytes; `linkCount`:
    // its hard links as the walk saw them; `shared`: the runs of its data
    // other files or snapshots may own too (none when null).
    int AddFile(dev_t device, ino_t inode, std::int64_t allocatedBytes, std::uint32_t linkCount, bool bHeldOpen,
                bool bChecked, const std::vector<SharedExtent> *shared = nullptr);
    // Checks or unchecks a file; an unknown index or an unchanged state
    // changes nothing.
    void SetChecked(int index, bool bChecked);
    // The file's link at `index` is gone from the drive (deleted, or moved
    // to another file system): it frees nothing any more, and the other
    // links of its file now need one link fewer to free it.
    void RemoveLink(int index);
    // A link taken off the drive is back, as a file of its own (a Move to
    // another file system undone: the copy that returned has one link and
    // no process holds it). Unchecked; anything else changes nothing.
    void Restore(int index);
    void Clear();

    int GetCount() const { return int(m_files.size()); }
    bool IsValidIndex(int index) const { return index >= 0 && index < GetCount(); }
    std::int64_t GetAllocatedBytes(int index) const;
    bool IsHeldOpen(int index) const { return (File(index) & kHeldOpen) != 0; }
    bool IsChecked(int index) const { return (File(index) & kChecked) != 0; }
    bool IsRemoved(int index) const { return (File(index) & kRemoved) != 0; }
    // Links of this file that the scan met, itself included (1 for a file
    // with a single link).
    std::uint32_t GetListedLinks(int index) const;

    // Bytes of the file's data that other files or snapshots may own too.
    std::int64_t GetSharedBytes(int index) const { return m_shared.GetBytes(index); }

    // Bytes the checked files would surely free.
    std::int64_t GetForecast() const { return m_nForecast + m_shared.GetSure(); }
    // At most: with the shared data whose other owners may go as well.
    std::int64_t GetUpTo() const { return m_nForecast + m_shared.GetUpTo(); }
    // Bytes the files at `indices` would surely free if exactly they were
    // checked, whatever is checked now, and in `upTo` (when given) at most;
    // unknown and repeated indices and removed files are ignored.
    std::int64_t FreedBy(const std::vector<int> &indices, std::int64_t *upTo = nullptr) const;

    // Bytes held for the files and their links.
    std::size_t GetMemoryBytes() const;

private:
    // One 32-bit word per file: the flags below, and above kValueShift
    // either, for a file of several links (kGrouped), its group, or its
    // allocated bytes in blocks of 512 (what the walk counts in). Bytes
    // that are no whole number of blocks, or more than the bits hold, are
    // kept in m_ownBytesAside, and the word holds kBytesAside.
    enum Flag : std::uint32_t { kChecked = 1, kHeldOpen = 2, kRemoved = 4, kGrouped = 8 };
    static constexpr int kValueShift = 4;
    static constexpr std::uint32_t kBytesAside = (std::uint32_t(1) << (32 - kValueShift)) - 1;
    static constexpr std::int64_t kBlock = 512;

    // The links of one file with several, as far as the scan met them.
    struct LinkGroup
    {
        std::int64_t bytes = 0;
        std::uint32_t links = 0;   // what the file system says it has
        std::uint32_t listed = 0;  // of which the scan met
        std::uint32_t checked = 0; // of which are checked
        bool heldOpen = false;
    };
    struct InodeKey
    {
        dev_t device;
        ino_t inode;
        bool operator==(const InodeKey &other) const = default;
    };
    struct InodeHash
    {
        std::size_t operator()(const InodeKey &key) const
        {
            return std::hash<std::uint64_t>()(std::uint64_t(key.inode) * 0x9E3779B97F4A7C15ull ^ std::uint64_t(key.device));
        }
    };

    static std::int64_t GroupFrees(const LinkGroup &group, std::uint32_t checked)
    {
        return !group.heldOpen && checked >= group.links ? group.bytes : 0;
    }

    std::uint32_t File(int index) const { return m_files[std::size_t(index)]; }
    // The file's link group, -1 for a file of one link.
    std::int32_t GroupOf(int index) const
    {
        return (File(index) & kGrouped) ? std::int32_t(File(index) >> kValueShift) : -1;
    }
    // What the file's own blocks free, for a file of one link.
    std::int64_t OwnBytes(int index) const
    {
        const std::uint32_t value = File(index) >> kValueShift;
        return value == kBytesAside ? m_ownBytesAside.find(index)->second : std::int64_t(value) * kBlock;
    }
    // The word of a file of one link with `bytes`, besides its flags.
    std::uint32_t OwnWord(int index, std::int64_t bytes);

    CChunkedArray<std::uint32_t> m_files;
    std::unordered_map<int, std::int64_t> m_ownBytesAside;
    std::vector<LinkGroup> m_groups;
    std::unordered_map<InodeKey, std::int32_t, InodeHash> m_groupOf;
    std::int64_t m_nForecast = 0; // of the data the files do not share
    CSharedExtentGroups m_shared;
};
