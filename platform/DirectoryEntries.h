#pragma once

#include <cerrno>
#include "platform/WalkRecord.h"

#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

// What the drive walk asks of the kernel, the same on every thread that
// reads folders for it, so that a listing means the same wherever it was read.
namespace DirectoryEntries {

// Large enough that most folders are listed in one system call.
constexpr long kBufferSize = 64 * 1024;

// What the kernel writes for each entry of getdents64.
struct LinuxDirent64
{
    std::uint64_t d_ino;
    std::int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

constexpr unsigned kWantedFields = STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_SIZE | STATX_BLOCKS | STATX_UID
                                   | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME | STATX_MNT_ID;
// Never trigger an automount, and take cached attributes on network file
// systems rather than a round trip per file.
constexpr int kStatFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;

// What a folder's own check asks when it is opened: the owner, mode and
// times ride along, so that who may remove its entries is known without a
// call of its own.
constexpr unsigned kFolderFields = STATX_TYPE | STATX_MODE | STATX_INO | STATX_MNT_ID | STATX_UID | STATX_GID
                                   | STATX_MTIME | STATX_CTIME;
constexpr int kFolderOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// What a walked folder's record keeps of its own statx.
inline WalkFolder FolderFacts(const struct statx &st)
{
    WalkFolder folder;
    folder.device = makedev(st.stx_dev_major, st.stx_dev_minor);
    folder.inode = st.stx_ino;
    folder.mode = st.stx_mode;
    folder.ownerId = st.stx_uid;
    folder.groupId = st.stx_gid;
    folder.attributes = st.stx_attributes & st.stx_attributes_mask;
    folder.modifiedTime = st.stx_mtime.tv_sec;
    folder.changeTime = st.stx_ctime.tv_sec;
    return folder;
}

inline bool IsDots(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Only for tests: the entry name whose statx fails with `error`, as an I/O
// error on one file would. Set before a walk starts, never during one.
inline std::string g_testStatFailureName;
inline int g_testStatFailureError = 0;

// statx of one listed entry, as every reader of the walk asks it.
inline int StatEntry(int folderFd, const char *name, struct statx &st)
{
    if (!g_testStatFailureName.empty() && g_testStatFailureName == name) {
        errno = g_testStatFailureError;
        return -1;
    }
    return ::statx(folderFd, name, kStatFlags, kWantedFields, &st);
}

// Whether a failed statx of a listed entry means the file could not be
// read: an entry removed since it was listed is merely gone.
inline bool IsUnreadableEntry(int error)
{
    return error != ENOENT;
}

// Devices, pipes and sockets are not files to clean up; an unknown type is
// settled by statx.
inline bool IsWalkedType(unsigned char type)
{
    return type == DT_DIR || type == DT_REG || type == DT_LNK || type == DT_UNKNOWN;
}

} // namespace DirectoryEntries
