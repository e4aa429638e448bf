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
    m_shared.clear();
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
        m_shared.clear();
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

    // Every subvolume's root item: when it was last snapshotted, and, for a
    // snapshot itself, when it was made from its parent.
    btrfs_ioctl_search_key key;
    std::memset(&key, 0, sizeof key);
    key.tree_id = BTRFS_ROOT_TREE_OBJECTID;
    key.min_objectid = BTRFS_FS_TREE_OBJECTID;
    key.max_objectid = BTRFS_LAST_FREE_OBJECTID;
    key.min_type = key.max_type = BTRFS_ROOT_ITEM_KEY;
    key.max_offset = ~0ULL;
    key.max_transid = ~0ULL;
    std::vector<std::uint64_t> buffer(1 << 15);
    m_sharedUpTo.clear();
    const bool ok = SearchTree(fd, key, buffer, [&](const btrfs_ioctl_search_header &header, const char *item) {
        if (header.type != BTRFS_ROOT_ITEM_KEY)
            return true;
        if (header.len < offsetof(btrfs_root_item, last_snapshot) + sizeof(__le64))
            return false;
        std::uint64_t upTo = Load<__le64>(item + offsetof(btrfs_root_item, last_snapshot));
        if (header.len >= offsetof(btrfs_root_item, otransid) + sizeof(__le64)) {
            static const unsigned char none[BTRFS_UUID_SIZE] = {};
            if (std::memcmp(item + offsetof(btrfs_root_item, parent_uuid), none, sizeof none) != 0)
                upTo = std::max<std::uint64_t>(upTo, Load<__le64>(item + offsetof(btrfs_root_item, otransid)));
        }
        m_sharedUpTo[header.objectid] = upTo;
        return true;
    });
    return ok && m_sharedUpTo.count(m_subvolume) != 0;
}

std::uint64_t CBtrfsSharedFiles::SharedUpTo(std::uint64_t root) const
{
    const auto it = m_sharedUpTo.find(root);
    return it == m_sharedUpTo.end() ? ~0ULL : it->second; // a subvolume being made or removed
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
    const std::uint64_t ownUpTo = SharedUpTo(m_subvolume);
    // The data extent being read: its item comes first, then references
    // kept apart from it when it has many.
    struct Owner
    {
        std::uint64_t root;
        std::uint64_t inode;
        bool operator<(const Owner &other) const { return root != other.root ? root < other.root : inode < other.inode; }
        bool operator==(const Owner &other) const = default;
    };
    struct Extent
    {
        std::uint64_t start = 0;
        std::uint64_t length = 0;
        std::uint64_t refs = 0;
        std::uint64_t generation = 0;
        bool treeShared = false; // a tree that refers to it may be a snapshot's too
        std::vector<Owner> owners;
    } extent;
    bool inExtent = false;
    const auto addOwner = [&](const char *ref) {
        const Owner owner{Load<__le64>(ref + offsetof(btrfs_extent_data_ref, root)),
                          Load<__le64>(ref + offsetof(btrfs_extent_data_ref, objectid))};
        extent.owners.push_back(owner);
        extent.treeShared = extent.treeShared || extent.generation <= SharedUpTo(owner.root);
    };
    // Names the files an extent may be shared by, and keeps how many own it.
    const auto finishExtent = [&] {
        if (!inExtent)
            return;
        inExtent = false;
        std::sort(extent.owners.begin(), extent.owners.end());
        extent.owners.erase(std::unique(extent.owners.begin(), extent.owners.end()), extent.owners.end());
        if (extent.refs == 1 && !extent.treeShared && extent.owners.size() == 1)
            return; // one file refers to it once, in a tree no snapshot shares
        // A subvolume's files have inode numbers of their own, except a
        // snapshot's, which keeps those of what it was made of: a reference
        // from a tree a snapshot shares may name the other subvolume.
        for (const Owner &owner : extent.owners) {
            if (owner.root == m_subvolume || extent.generation <= ownUpTo)
                m_mayShare.insert(owner.inode);
        }
        const std::uint32_t owners = extent.treeShared ? 0 : std::uint32_t(extent.owners.size());
        m_shared.push_back(SharedRecord{extent.start, extent.length, owners});
    };
    bool ok = SearchTree(fd, key, buffer, [&](const btrfs_ioctl_search_header &header, const char *item) {
        switch (header.type) {
        case BTRFS_EXTENT_DATA_REF_KEY:
            // A reference kept apart from its extent: there are many.
            if (header.len < sizeof(btrfs_extent_data_ref) || !inExtent || header.objectid != extent.start)
                return false;
            addOwner(item);
            return true;
        case BTRFS_SHARED_DATA_REF_KEY:
            if (!inExtent || header.objectid != extent.start)
                return false;
            extent.treeShared = true;
            unresolved.push_back(header.objectid);
            return unresolved.size() <= kMaxUnresolved;
        case BTRFS_EXTENT_ITEM_KEY:
            break;
        default:
            return true;
        }
        finishExtent();
        if (header.len < sizeof(btrfs_extent_item))
            return false;
        const std::uint64_t flags = Load<__le64>(item + offsetof(btrfs_extent_item, flags));
        if (!(flags & BTRFS_EXTENT_FLAG_DATA))
            return true;
        inExtent = true;
        extent.start = header.objectid;
        extent.length = header.offset;
        extent.refs = Load<__le64>(item + offsetof(btrfs_extent_item, refs));
        extent.generation = Load<__le64>(item + offsetof(btrfs_extent_item, generation));
        extent.treeShared = false;
        extent.owners.clear();
        const char *ref = item + sizeof(btrfs_extent_item);
        const char *end = item + header.len;
        while (ref < end) {
            const std::uint8_t type = std::uint8_t(*ref);
            const char *body = ref + offsetof(btrfs_extent_inline_ref, offset);
            if (type == BTRFS_EXTENT_DATA_REF_KEY && body + sizeof(btrfs_extent_data_ref) <= end) {
                addOwner(body);
                ref = body + sizeof(btrfs_extent_data_ref);
            } else if (type == BTRFS_SHARED_DATA_REF_KEY && body + sizeof(__le64) + sizeof(btrfs_shared_data_ref) <= end) {
                // The tree that refers to it is shared: which files it
                // holds is for the back references to say.
                extent.treeShared = true;
                unresolved.push_back(header.objectid);
                ref = body + sizeof(__le64) + sizeof(btrfs_shared_data_ref);
            } else if (type == kExtentOwnerRefKey && body + sizeof(__le64) <= end) {
                ref = body + sizeof(__le64);
            } else {
                return false; // a record this reader does not know
            }
        }
        return unresolved.size() <= kMaxUnresolved;
    });
    finishExtent();
    if (!ok)
        return false;
    for (const std::uint64_t bytenr : unresolved) {
        if (!ResolveOwners(fd, bytenr))
            return false;
    }
    return true;
}

void CBtrfsSharedFiles::CountOwners(dev_t device, SharedExtent &run) const
{
    if (!m_bRead || device != m_device || run.physical == 0 || run.kept)
        return;
    // The extents the run lies in, in address order; those not kept here
    // have one owner.
    auto it = std::upper_bound(m_shared.begin(), m_shared.end(), run.physical,
                               [](std::uint64_t at, const SharedRecord &record) { return at < record.start; });
    if (it != m_shared.begin())
        --it;
    std::uint32_t owners = 0;
    bool found = false;
    for (; it != m_shared.end() && it->start < run.physical + run.length; ++it) {
        if (it->start + it->length <= run.physical)
            continue;
        found = true;
        if (it->owners == 0) {
            run.kept = true;
            return;
        }
        owners = std::max(owners, it->owners);
    }
    if (found)
        run.owners = owners;
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
