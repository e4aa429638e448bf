#include "platform/CTrashFiles.h"

#include "platform/CEmptyFolderRemover.h"
#include "platform/DirectoryEntries.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

bool ReadOpen(int fd, QByteArray &text, qsizetype maxBytes)
{
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    text.clear();
    char buffer[8192];
    while (text.size() < maxBytes) {
        const ssize_t n = ::read(fd, buffer, std::size_t(std::min<qsizetype>(qsizetype(sizeof buffer), maxBytes - text.size())));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        text.append(buffer, qsizetype(n));
    }
    return true;
}

// 0 when all of `text` went to `fd`, else the errno.
int WriteAll(int fd, const QByteArray &text)
{
    qsizetype written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.constData() + written, std::size_t(text.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        written += n;
    }
    return 0;
}

constexpr int kReadFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// Removes the empty folders below the open folder `fd`; false as soon as it
// holds anything but folders.
bool RemoveFoldersBelow(int fd)
{
    std::vector<QByteArray> folders;
    std::vector<char> buffer(4096);
    for (;;) {
        const long read = ::syscall(SYS_getdents64, fd, buffer.data(), buffer.size());
        if (read <= 0)
            break;
        for (long pos = 0; pos < read;) {
            const auto *entry = reinterpret_cast<const DirectoryEntries::LinuxDirent64 *>(buffer.data() + pos);
            pos += entry->d_reclen;
            if (DirectoryEntries::IsDots(entry->d_name))
                continue;
            if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN)
                return false;
            folders.emplace_back(entry->d_name);
        }
    }
    bool all = true;
    for (const QByteArray &name : folders)
        all = CTrashFiles::RemoveEmptyTree(fd, name) && all;
    return all;
}

} // namespace

QByteArray CTrashFiles::ReadSmall(const QByteArray &path, qsizetype maxBytes)
{
    const int fd = ::open(path.constData(), kReadFlags);
    if (fd < 0)
        return {};
    QByteArray text;
    if (!ReadOpen(fd, text, maxBytes))
        text.clear();
    ::close(fd);
    return text;
}

bool CTrashFiles::ReadSmallAt(int folderFd, const QByteArray &name, QByteArray &text, qsizetype maxBytes)
{
    const int fd = ::openat(folderFd, name.constData(), kReadFlags);
    if (fd < 0)
        return false;
    const bool ok = ReadOpen(fd, text, maxBytes);
    ::close(fd);
    return ok;
}

FileOpResult CTrashFiles::ReplaceAt(int folderFd, const QByteArray &name, const QByteArray &text)
{
    std::random_device random;
    const QByteArray temporary = name + ".bv" + QByteArray::number(random(), 36);
    const int fd = ::openat(folderFd, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return FileOpResult::FromErrno(errno);
    int error = WriteAll(fd, text);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::renameat(folderFd, temporary.constData(), folderFd, name.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlinkat(folderFd, temporary.constData(), 0);
        return FileOpResult::FromErrno(error);
    }
    return FileOpResult::Success();
}

FileOpResult CTrashFiles::CreateAt(int folderFd, const QByteArray &name, const QByteArray &text,
                                   FileIdentity *identity)
{
    // A .trashinfo is readable by its owner only, as file managers write it.
    int fd = ::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    const bool unnamed = fd >= 0;
    QByteArray temporary;
    if (!unnamed) {
        // A file system without unnamed files: a temporary name beside it,
        // renamed without replacing.
        std::random_device random;
        temporary = name + ".bv" + QByteArray::number(random(), 36);
        fd = ::openat(folderFd, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return FileOpResult::FromErrno(errno);
    }
    int error = WriteAll(fd, text);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (error == 0 && unnamed) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        if (::linkat(AT_FDCWD, self.constData(), folderFd, name.constData(), AT_SYMLINK_FOLLOW) != 0)
            error = errno;
    }
    if (error == 0 && !unnamed
        && ::renameat2(folderFd, temporary.constData(), folderFd, name.constData(), RENAME_NOREPLACE) != 0)
        error = errno;
    struct statx st;
    if (error == 0 && identity && ::statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &st) == 0)
        *identity = FileIdentity::FromStatx(st);
    ::close(fd);
    if (error != 0 && !unnamed)
        ::unlinkat(folderFd, temporary.constData(), 0);
    return error == 0 ? FileOpResult::Success() : FileOpResult::FromErrno(error);
}

bool CTrashFiles::RemoveEmptyTree(int parentFd, const QByteArray &name)
{
    const int fd = ::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        struct statx folder;
        struct statx parent;
        // Never into another mount.
        const bool sameMount = ::statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &folder) == 0
                               && ::statx(parentFd, "", AT_EMPTY_PATH, STATX_MNT_ID, &parent) == 0
                               && folder.stx_mnt_id == parent.stx_mnt_id;
        if (sameMount)
            RemoveFoldersBelow(fd);
        ::close(fd);
    }
    const CEmptyFolderRemover::Outcome outcome = CEmptyFolderRemover::RemoveIfEmpty(parentFd, name);
    return outcome == CEmptyFolderRemover::Outcome::Removed || outcome == CEmptyFolderRemover::Outcome::Gone;
}
