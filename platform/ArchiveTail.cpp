#include "platform/ArchiveTail.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr const char *kAttribute = "user.brimvale.archive-tail";
constexpr std::size_t kLengthSize = 8;
// Extended attributes hold a few kilobytes on most file systems; records
// with a long comment are not guarded.
constexpr std::size_t kMaxBytes = 3072;

bool WriteAll(int fd, const char *data, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
        offset += n;
    }
    return true;
}

} // namespace

namespace ArchiveTail {

bool Save(int fd, std::uint64_t length, const char *bytes, std::size_t size)
{
    if (size > kMaxBytes || size > length)
        return false;
    std::string value(kLengthSize, '\0');
    for (std::size_t i = 0; i < kLengthSize; ++i)
        value[i] = char(length >> (8 * i));
    value.append(bytes, size);
    return ::fsetxattr(fd, kAttribute, value.data(), value.size(), 0) == 0;
}

void Drop(int fd)
{
    ::fremovexattr(fd, kAttribute);
}

int Restore(int fd)
{
    char value[kLengthSize + kMaxBytes];
    const ssize_t got = ::fgetxattr(fd, kAttribute, value, sizeof value);
    if (got < 0)
        return errno == ENODATA || errno == ENOTSUP ? 0 : -1;
    std::uint64_t length = 0;
    for (std::size_t i = 0; i < kLengthSize && i < std::size_t(got); ++i)
        length |= std::uint64_t(static_cast<unsigned char>(value[i])) << (8 * i);
    const std::size_t size = std::size_t(got) < kLengthSize ? 0 : std::size_t(got) - kLengthSize;
    struct stat st;
    if (std::size_t(got) < kLengthSize || size > length || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)
        || std::uint64_t(st.st_size) < length) {
        // Not a note this program wrote, or a file someone else has cut
        // since: left as it is.
        errno = EINVAL;
        return -1;
    }
    if (!WriteAll(fd, value + kLengthSize, size, off_t(length - size)) || ::ftruncate(fd, off_t(length)) != 0)
        return -1;
    Drop(fd);
    return 1;
}

} // namespace ArchiveTail
