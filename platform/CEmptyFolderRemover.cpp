#include "platform/CEmptyFolderRemover.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CEmptyFolderRemover::Outcome CEmptyFolderRemover::RemoveIfEmpty(int parentFd, const QByteArray &name)
{
    if (name.isEmpty() || name.contains('/') || name == "." || name == "..")
        return Outcome::Kept;
    struct statx st;
    if (::statx(parentFd, name.constData(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_MNT_ID, &st)
        != 0)
        return errno == ENOENT ? Outcome::Gone : Outcome::Kept;
    if (!S_ISDIR(st.stx_mode))
        return Outcome::Kept;
    // The kernel refuses to remove a mount point in this namespace anyway;
    // asking first keeps one that is mounted elsewhere out of it too.
    if (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) {
        if (st.stx_attributes & STATX_ATTR_MOUNT_ROOT)
            return Outcome::MountPoint;
    } else {
        struct statx parent;
        if (::statx(parentFd, "", AT_EMPTY_PATH, STATX_MNT_ID, &parent) != 0)
            return Outcome::Kept;
        if ((st.stx_mask & parent.stx_mask & STATX_MNT_ID) && st.stx_mnt_id != parent.stx_mnt_id)
            return Outcome::MountPoint;
        if (st.stx_dev_major != parent.stx_dev_major || st.stx_dev_minor != parent.stx_dev_minor)
            return Outcome::MountPoint;
    }
    if (::unlinkat(parentFd, name.constData(), AT_REMOVEDIR) == 0)
        return Outcome::Removed;
    return errno == ENOENT ? Outcome::Gone : Outcome::Kept;
}
