#include "platform/CBtrfsSnapshots.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <endian.h>
#include <fcntl.h>
#include <linux/btrfs.h>
#include <linux/btrfs_tree.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int kMaxDepth = 3; // snapshots kept in a folder of snapshots, each in a folder of its own
constexpr std::size_t kUuidSize = BTRFS_UUID_SIZE;

struct Subvolume
{
    unsigned char uuid[kUuidSize];
};

bool InfoOf(int fd, btrfs_ioctl_get_subvol_info_args &info)
{
    std::memset(&info, 0, sizeof info);
    // Some kernels answer 1 (the last lookup it made found no exact key)
    // with every field filled in.
    return ::ioctl(fd, BTRFS_IOC_GET_SUBVOL_INFO, &info) >= 0;
}

bool IsSnapshotOf(const unsigned char *parentUuid, std::uint64_t flags, const Subvolume &of)
{
    return (flags & BTRFS_ROOT_SUBVOL_RDONLY) && std::memcmp(parentUuid, of.uuid, kUuidSize) == 0;
}

// Every subvolume's root item, from the tree of tree roots (root only).
CBtrfsSnapshots::Answer SearchRootTree(int fd, const Subvolume &of)
{
    btrfs_ioctl_search_args args;
    std::memset(&args, 0, sizeof args);
    btrfs_ioctl_search_key &key = args.key;
    key.tree_id = BTRFS_ROOT_TREE_OBJECTID;
    key.min_objectid = BTRFS_FIRST_FREE_OBJECTID;
    key.max_objectid = BTRFS_LAST_FREE_OBJECTID;
    key.min_type = BTRFS_ROOT_ITEM_KEY;
    key.max_type = BTRFS_ROOT_ITEM_KEY;
    key.max_offset = ~0ULL;
    key.max_transid = ~0ULL;
    for (;;) {
        key.nr_items = 4096;
        if (::ioctl(fd, BTRFS_IOC_TREE_SEARCH, &args) != 0)
            return CBtrfsSnapshots::Answer::Unknown;
        if (key.nr_items == 0)
            return CBtrfsSnapshots::Answer::None;
        std::size_t at = 0;
        btrfs_ioctl_search_header header{};
        for (unsigned i = 0; i < key.nr_items; ++i) {
            std::memcpy(&header, args.buf + at, sizeof header);
            at += sizeof header;
            const char *item = args.buf + at;
            at += header.len;
            constexpr std::size_t kParentEnd = offsetof(btrfs_root_item, parent_uuid) + kUuidSize;
            if (header.type != BTRFS_ROOT_ITEM_KEY || header.len < kParentEnd)
                continue;
            std::uint64_t flags;
            std::uint32_t refs;
            std::memcpy(&flags, item + offsetof(btrfs_root_item, flags), sizeof flags);
            std::memcpy(&refs, item + offsetof(btrfs_root_item, refs), sizeof refs);
            const auto *parent = reinterpret_cast<const unsigned char *>(item + offsetof(btrfs_root_item, parent_uuid));
            // A subvolume being deleted has no references left.
            if (le32toh(refs) != 0 && IsSnapshotOf(parent, le64toh(flags), of))
                return CBtrfsSnapshots::Answer::Some;
        }
        if (header.offset < ~0ULL) {
            key.min_objectid = header.objectid;
            key.min_type = header.type;
            key.min_offset = header.offset + 1;
        } else if (header.objectid < key.max_objectid) {
            key.min_objectid = header.objectid + 1;
            key.min_type = BTRFS_ROOT_ITEM_KEY;
            key.min_offset = 0;
        } else {
            return CBtrfsSnapshots::Answer::None;
        }
    }
}

// The subvolumes below the one `fd` is the top of, as any user may list
// them, `depth` levels down.
CBtrfsSnapshots::Answer SearchBelow(int fd, const Subvolume &of, int depth)
{
    btrfs_ioctl_get_subvol_rootref_args refs;
    std::memset(&refs, 0, sizeof refs);
    bool known = true;
    for (;;) {
        const int result = ::ioctl(fd, BTRFS_IOC_GET_SUBVOL_ROOTREF, &refs);
        const bool more = result != 0 && errno == EOVERFLOW;
        if (result != 0 && !more)
            return CBtrfsSnapshots::Answer::Unknown;
        for (unsigned i = 0; i < refs.num_items; ++i) {
            btrfs_ioctl_ino_lookup_user_args where;
            std::memset(&where, 0, sizeof where);
            where.dirid = refs.rootref[i].dirid;
            where.treeid = refs.rootref[i].treeid;
            if (::ioctl(fd, BTRFS_IOC_INO_LOOKUP_USER, &where) != 0) {
                known = false; // a folder on the way we may not search
                continue;
            }
            const QByteArray path = QByteArray(where.path) + where.name;
            const int child = ::openat(fd, path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            btrfs_ioctl_get_subvol_info_args info;
            if (child < 0 || !InfoOf(child, info)) {
                if (child >= 0)
                    ::close(child);
                known = false;
                continue;
            }
            CBtrfsSnapshots::Answer below = CBtrfsSnapshots::Answer::None;
            if (IsSnapshotOf(info.parent_uuid, info.flags, of))
                below = CBtrfsSnapshots::Answer::Some;
            else if (depth > 1)
                below = SearchBelow(child, of, depth - 1);
            ::close(child);
            if (below == CBtrfsSnapshots::Answer::Some)
                return below;
            known = known && below == CBtrfsSnapshots::Answer::None;
        }
        if (!more)
            break;
    }
    return known ? CBtrfsSnapshots::Answer::None : CBtrfsSnapshots::Answer::Unknown;
}

} // namespace

CBtrfsSnapshots::Answer CBtrfsSnapshots::Find(const QByteArray &root, bool bWholeFileSystem)
{
    const int fd = ::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Answer::Unknown;
    btrfs_ioctl_get_subvol_info_args info;
    Answer answer = Answer::Unknown;
    if (InfoOf(fd, info)) {
        Subvolume self;
        std::memcpy(self.uuid, info.uuid, kUuidSize);
        answer = bWholeFileSystem ? SearchRootTree(fd, self) : Answer::Unknown;
        if (answer == Answer::Unknown)
            answer = SearchBelow(fd, self, kMaxDepth);
    }
    ::close(fd);
    return answer;
}
