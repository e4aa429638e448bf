#include "platform/FileIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

std::int64_t ToNs(const struct statx_timestamp &t)
{
    return std::int64_t(t.tv_sec) * 1000000000LL + std::int64_t(t.tv_nsec);
}

} // namespace

FileIdentity FileIdentity::FromStatx(const struct statx &st)
{
    FileIdentity id;
    id.device = makedev(st.stx_dev_major, st.stx_dev_minor);
    id.inode = st.stx_ino;
    id.type = st.stx_mode & S_IFMT;
    id.size = std::int64_t(st.stx_size);
    id.modifiedNs = ToNs(st.stx_mtime);
    id.hasBirth = (st.stx_mask & STATX_BTIME) != 0;
    id.birthNs = id.hasBirth ? ToNs(st.stx_btime) : 0;
    return id;
}

bool FileIdentity::SameFile(const FileIdentity &now) const
{
    if (device != now.device || inode != now.inode || type != now.type || size != now.size
        || modifiedNs != now.modifiedNs)
        return false;
    return !(hasBirth && now.hasBirth) || birthNs == now.birthNs;
}
