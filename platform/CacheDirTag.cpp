#include "platform/CacheDirTag.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace CacheDirTag {

bool HasValidSignature(int folderFd)
{
    static constexpr char kSignature[] = "Signature: 8a477f597d28d172789f06886806bc55";
    constexpr std::size_t kLength = sizeof kSignature - 1;
    // O_NONBLOCK: a pipe put in the tag's place must not hold up the walk;
    // the type is checked on the open file before anything is read.
    const int fd = ::openat(folderFd, "CACHEDIR.TAG", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    char head[kLength];
    std::size_t got = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        while (got < kLength) {
            const ssize_t n = ::pread(fd, head + got, kLength - got, off_t(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += std::size_t(n);
        }
    }
    ::close(fd);
    return got == kLength && std::memcmp(head, kSignature, kLength) == 0;
}

} // namespace CacheDirTag
