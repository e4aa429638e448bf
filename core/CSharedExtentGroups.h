#pragma once

#include "platform/SharedExtent.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

// The data listed files share with other files (reflinked copies) or with
// snapshots, grouped by where it lies on the device, as hard links are
// grouped by inode. A run comes back surely only when every owner goes: the
// scan met as many as the file system counted, or, where it could not
// count them, more than one (a run only one listed file is known to own
// has an owner nobody listed: a copy elsewhere, a snapshot).
// Otherwise it comes back "up to": at most, if its other owners go too.
//
// Files are known by their index in the forecast; a file that shares
// nothing costs nothing here.
class CSharedExtentGroups
{
public:
    // Registers file `index`, unchecked. With `bMatchable` false its runs
    // never surely come back (a file of several links, which may live on
    // whatever is checked). Returns the bytes it shares, each run as often
    // as the file uses it.
    std::int64_t AddFile(int index, const std::vector<SharedExtent> &shared, bool bMatchable);
    bool Has(int index) const { return !m_files.empty() && m_files.count(index) != 0; }
    // Bytes file `index` shares; 0 for a file that shares nothing.
    std::int64_t GetBytes(int index) const;

    void SetChecked(int index, bool bChecked);
    // The file is gone from the drive: the runs it shared may now be owned
    // by the others alone. It must be unchecked first.
    void Remove(int index);
    // The file is a file of its own again (a copy that came back): it
    // shares nothing any more.
    void Forget(int index);
    void Clear();

    // Over the checked files: what surely comes back, and at most.
    std::int64_t GetSure() const { return m_nSure; }
    std::int64_t GetUpTo() const { return m_nUpTo; }
    // The same if exactly the files at `indices` (valid, not removed, each
    // once) were checked.
    void FreedBy(const std::vector<int> &indices, std::int64_t &sure, std::int64_t &upTo) const;

    std::size_t GetMemoryBytes() const;

private:
    struct Group
    {
        std::int64_t bytes = 0;
        std::uint32_t listed = 0;  // owners the scan listed, still on the drive
        std::uint32_t checked = 0; // of which are checked
        std::uint32_t gone = 0;    // listed owners an action removed
        bool kept = false;         // an owner no scan lists holds it too
        std::uint32_t owners = 0;  // every owner, where the file system counted them
    };
    struct FilePart
    {
        std::vector<std::int32_t> groups; // each once
        std::int64_t unmatched = 0;       // runs no other owner can be matched with
        std::int64_t bytes = 0;
        bool checked = false;
    };
    struct Key
    {
        std::uint64_t physical;
        std::uint64_t length;
        bool operator==(const Key &other) const = default;
    };
    struct KeyHash
    {
        std::size_t operator()(const Key &key) const
        {
            return std::hash<std::uint64_t>()(key.physical * 0x9E3779B97F4A7C15ull ^ key.length);
        }
    };

    static std::int64_t Sure(const Group &group, std::uint32_t checked)
    {
        // Without a count of its owners, a run met once has one nobody listed.
        const std::uint32_t owners = group.owners != 0 ? group.owners : 2;
        return !group.kept && group.listed >= 1 && group.listed + group.gone >= owners && checked == group.listed
                   ? group.bytes
                   : 0;
    }
    static std::int64_t UpTo(const Group &group, std::uint32_t checked) { return checked > 0 ? group.bytes : 0; }
    // Applies `change` to a group, keeping the sums.
    template <typename Change>
    void Update(std::int32_t groupIndex, Change change);

    std::unordered_map<int, FilePart> m_files;
    std::vector<Group> m_groups;
    std::unordered_map<Key, std::int32_t, KeyHash> m_groupOf;
    std::int64_t m_nSure = 0;
    std::int64_t m_nUpTo = 0;
};
