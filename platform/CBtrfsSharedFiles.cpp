#include "platform/CBtrfsSharedFiles.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <linux/btrfs.h>
#include <linux/btrfs_tree.h>
#include <linux/magic.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <vector>

namespace {

// The owner reference a file system with simple quotas puts first.
constexpr std::uint8_t kExtentOwnerRefKey = 188;
constexpr std::size_t kSearchBuffer = 4 << 20;
constexpr std::size_t kOwnersBuffer = 64 << 10;
// Extents whose owners the records leave to a shared tree: each costs a
// walk of its back references, so past this many every file is mapped.
constexpr std::size_t kMaxUnresolved = 4096;

template <typename T> T Load(const char *at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// Moves `key` just past the item `header` names.
void AdvancePast(btrfs_ioctl_search_key &key, const btrfs_ioctl_search_header &header)
{
    key.min_objectid = header.objectid;
    key.min_type = header.type;
    key.min_offset = header.offset;
    if (key.min_offset < ~0ULL) {
        ++key.min_offset;
    } else if (key.min_type < 255) {
        ++key.min_type;
        key.min_offset = 0;
    } else {
        ++key.min_objectid;
        key.min_type = 0;
        key.min_offset = 0;
    }
}

// Calls `onItem(header, item)` for every item of `tree` from `key`'s lower
// bound to its upper bound. False when the tree cannot be read.
template <typename OnItem>
bool SearchTree(int fd, btrfs_ioctl_search_key key, std::vector<std::uint64_t> &buffer, OnItem onItem)
{
    auto *args = reinterpret_cast<btrfs_ioctl_search_args_v2 *>(buffer.data());
    const std::size_t room = buffer.size() * sizeof(std::uint64_t) - sizeof(btrfs_ioctl_search_args_v2);
    for (;;) {
        key.nr_items = ~0u;
        args->key = key;
        args->buf_size = room;
        if (::ioctl(fd, BTRFS_IOC_TREE_SEARCH_V2, args) != 0)
            return false;
        const unsigned count = args->key.nr_items;
        if (count == 0)
            return true;
        const char *at = reinterpret_cast<const char *>(args->buf);
        btrfs_ioctl_search_header header{};
        for (unsigned i = 0; i < count; ++i) {
            std::memcpy(&header, at, sizeof header);
            at += sizeof header;
            if (!onItem(header, at))
                return false;
            at += header.len;
        }
        if (header.objectid == key.max_objectid && header.type == key.max_type && header.offset == key.max_offset)
            return true;
        AdvancePast(key, header);
    }
}

} // namespace

bool CBtrfsSharedFiles::Read(int fd)
{
    m_bRead = false;
    m_mayShare.clear();
    struct statfs fs;
    struct stat st;
    if (::fstatfs(fd, &fs) != 0 || (std::uint64_t(fs.f_type) & 0xffffffffu) != BTRFS_SUPER_MAGIC
        || ::fstat(fd, &st) != 0)
        return false;
    m_device = st.st_dev;
    if (!ReadSubvolume(fd)) // also tells whether we may read the records at all
        return false;
    // Pending changes to who refers to an extent reach its records when the
    // transaction commits: a copy reflinked a moment ago would not show yet.
    __u64 transid = 0;
    if (::ioctl(fd, BTRFS_IOC_START_SYNC, &transid) != 0 || ::ioctl(fd, BTRFS_IOC_WAIT_SYNC, &transid) != 0)
        return false;
    if (!ReadExtentTree(fd)) {
        m_mayShare.clear();
        return false;
    }
    m_bRead = true;
    return true;
}

bool CBtrfsSharedFiles::ReadSubvolume(int fd)
{
    btrfs_ioctl_ino_lookup_args lookup;
    std::memset(&lookup, 0, sizeof lookup);
    lookup.objectid = BTRFS_FIRST_FREE_OBJECTID;
    if (::ioctl(fd, BTRFS_IOC_INO_LOOKUP, &lookup) != 0 || lookup.treeid == 0)
        return false;
    m_subvolume = lookup.treeid;

    // The subvolume's root item: when it was last snapshotted, and, for a
    // snapshot itself, when it was made from its parent.
    btrfs_ioctl_search_key key;
    std::memset(&key, 0, sizeof key);
    key.tree_id = BTRFS_ROOT_TREE_OBJECTID;
    key.min_objectid = key.max_objectid = m_subvolume;
    key.min_type = key.max_type = BTRFS_ROOT_ITEM_KEY;
    key.max_offset = ~0ULL;
    key.max_transid = ~0ULL;
    std::vector<std::uint64_t> buffer(4096);
    bool found = false;
    const bool ok = SearchTree(fd, key, buffer, [&](const btrfs_ioctl_search_header &header, const char *item) {
        if (header.len < offsetof(btrfs_root_item, last_snapshot) + sizeof(__le64))
            return false;
        found = true;
        m_sharedUpTo = Load<__le64>(item + offsetof(btrfs_root_item, last_snapshot));
        if (header.len >= offsetof(btrfs_root_item, otransid) + sizeof(__le64)) {
            static const unsigned char none[BTRFS_UUID_SIZE] = {};
            if (std::memcmp(item + offsetof(btrfs_root_item, parent_uuid), none, sizeof none) != 0)
                m_sharedUpTo = std::max<std::uint64_t>(m_sharedUpTo, Load<__le64>(item + offsetof(btrfs_root_item, otransid)));
        }
        return true;
    });
    return ok && found;
}

bool CBtrfsSharedFiles::ReadExtentTree(int fd)
{
    btrfs_ioctl_search_key key;
    std::memset(&key, 0, sizeof key);
    key.tree_id = BTRFS_EXTENT_TREE_OBJECTID;
    key.max_objectid = ~0ULL;
    key.max_type = 255;
    key.max_offset = ~0ULL;
    key.max_transid = ~0ULL;
    std::vector<std::uint64_t> buffer(kSearchBuffer / sizeof(std::uint64_t));
    std::vector<std::uint64_t> unresolved;
    // The extent item last met: references kept apart from it follow it.
    std::uint64_t extentAt = 0;
    std::uint64_t extentGeneration = 0;
    // A reference names a subvolume and a file in it. Another subvolume's
    // files have inode numbers of their own, except a snapshot's, which
    // keeps those of what it was made of: a reference from the tree a
    // snapshot shares may name the other subvolume.
    const auto nameOwner = [&](const char *ref, std::uint64_t generation) {
        const std::uint64_t root = Load<__le64>(ref + offsetof(btrfs_extent_data_ref, root));
        if (root == m_subvolume || generation <= m_sharedUpTo)
            m_mayShare.insert(Load<__le64>(ref + offsetof(btrfs_extent_data_ref, objectid)));
    };
    const bool ok = SearchTree(fd, key, buffer, [&](const btrfs_ioctl_search_header &header, const char *item) {
        switch (header.type) {
        case BTRFS_EXTENT_DATA_REF_KEY:
            // A reference kept apart from its extent: there are many.
            if (header.len < sizeof(btrfs_extent_data_ref))
                return false;
            nameOwner(item, header.objectid == extentAt ? extentGeneration : ~0ULL);
            return true;
        case BTRFS_SHARED_DATA_REF_KEY:
            unresolved.push_back(header.objectid);
            return true;
        case BTRFS_EXTENT_ITEM_KEY:
            break;
        default:
            return true;
        }
        if (header.len < sizeof(btrfs_extent_item))
            return false;
        const std::uint64_t flags = Load<__le64>(item + offsetof(btrfs_extent_item, flags));
        if (!(flags & BTRFS_EXTENT_FLAG_DATA))
            return true;
        const std::uint64_t refs = Load<__le64>(item + offsetof(btrfs_extent_item, refs));
        const std::uint64_t generation = Load<__le64>(item + offsetof(btrfs_extent_item, generation));
        extentAt = header.objectid;
        extentGeneration = generation;
        // One file refers to it once, in a tree no snapshot shares: that
        // file owns it alone.
        const bool shared = refs != 1 || generation <= m_sharedUpTo;
        const char *ref = item + sizeof(btrfs_extent_item);
        const char *end = item + header.len;
        while (ref < end) {
            const std::uint8_t type = std::uint8_t(*ref);
            const char *body = ref + offsetof(btrfs_extent_inline_ref, offset);
            if (type == BTRFS_EXTENT_DATA_REF_KEY && body + sizeof(btrfs_extent_data_ref) <= end) {
                if (shared || Load<__le32>(body + offsetof(btrfs_extent_data_ref, count)) != 1)
                    nameOwner(body, generation);
                ref = body + sizeof(btrfs_extent_data_ref);
            } else if (type == BTRFS_SHARED_DATA_REF_KEY && body + sizeof(__le64) + sizeof(btrfs_shared_data_ref) <= end) {
                // The tree that refers to it is shared: which files it
                // holds is for the back references to say.
                unresolved.push_back(header.objectid);
                ref = body + sizeof(__le64) + sizeof(btrfs_shared_data_ref);
            } else if (type == kExtentOwnerRefKey && body + sizeof(__le64) <= end) {
                ref = body + sizeof(__le64);
            } else {
                return false; // a record this reader does not know
            }
            if (unresolved.size() > kMaxUnresolved)
                return false;
        }
        return true;
    });
    if (!ok)
        return false;
    for (const std::uint64_t bytenr : unresolved) {
        if (!ResolveOwners(fd, bytenr))
            return false;
    }
    return true;
}

bool CBtrfsSharedFiles::ResolveOwners(int fd, std::uint64_t bytenr)
{
    std::vector<std::uint64_t> buffer(kOwnersBuffer / sizeof(std::uint64_t));
    btrfs_ioctl_logical_ino_args args;
    std::memset(&args, 0, sizeof args);
    args.logical = bytenr;
    args.size = kOwnersBuffer;
    args.flags = BTRFS_LOGICAL_INO_ARGS_IGNORE_OFFSET;
    args.inodes = reinterpret_cast<std::uintptr_t>(buffer.data());
    if (::ioctl(fd, BTRFS_IOC_LOGICAL_INO_V2, &args) != 0)
        return false;
    const auto *owners = reinterpret_cast<const btrfs_data_container *>(buffer.data());
    if (owners->bytes_missing != 0 || owners->elem_missed != 0)
        return false;
    // Triples of inode, offset and subvolume, through whatever trees share
    // the references.
    for (std::uint32_t i = 0; i + 2 < owners->elem_cnt; i += 3) {
        if (owners->val[i + 2] == m_subvolume)
            m_mayShare.insert(owners->val[i]);
    }
    return true;
}
