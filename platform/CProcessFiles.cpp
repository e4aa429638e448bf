#include "platform/CProcessFiles.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace {

bool IsPidName(const char *name)
{
    if (!*name)
        return false;
    for (const char *c = name; *c; ++c) {
        if (*c < '0' || *c > '9')
            return false;
    }
    return true;
}

bool IsDenied(int error)
{
    return error == EACCES || error == EPERM;
}

// Parses a hexadecimal or decimal number at `cursor`, moving past it.
unsigned long long ParseNumber(const char *&cursor, const char *end, int base)
{
    unsigned long long value = 0;
    while (cursor < end) {
        const char c = *cursor;
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = value * unsigned(base) + unsigned(digit);
        ++cursor;
    }
    return value;
}

// Reads `fd` to its end into `content` (grown as needed), `used` bytes of
// it; returns 0, or the error that stopped the reading.
int ReadWhole(int fd, std::vector<char> &content, std::size_t &used)
{
    for (;;) {
        if (used == content.size())
            content.resize(content.size() * 2);
        const ssize_t got = ::read(fd, content.data() + used, content.size() - used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            return 0;
        used += std::size_t(got);
    }
}

void SkipField(const char *&cursor, const char *end)
{
    while (cursor < end && *cursor != ' ')
        ++cursor;
    while (cursor < end && *cursor == ' ')
        ++cursor;
}

constexpr unsigned kDescriptorFields = STATX_TYPE | STATX_INO | STATX_NLINK | STATX_BLOCKS | STATX_MNT_ID;

// The process's short name ("comm"), without its line end.
QByteArray ReadProgramName(int pidFd)
{
    const int fd = ::openat(pidFd, "comm", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArrayLiteral("?");
    char text[64];
    ssize_t got;
    do
        got = ::read(fd, text, sizeof text);
    while (got < 0 && errno == EINTR);
    ::close(fd);
    QByteArray name(text, got > 0 ? qsizetype(got) : 0);
    while (name.endsWith('\n'))
        name.chop(1);
    return name.isEmpty() ? QByteArrayLiteral("?") : name;
}

} // namespace

CProcessFiles::CProcessFiles(QByteArray procRoot) : m_strProcRoot(std::move(procRoot)) {}

bool CProcessFiles::ReadDescriptors(int pidFd, const FileHandler &handler, const DeletedHandler &deleted, pid_t pid,
                                    bool &denied)
{
    const int fdDir = ::openat(pidFd, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDir < 0) {
        denied = IsDenied(errno);
        return false;
    }
    DIR *dir = ::fdopendir(fdDir);
    if (!dir) {
        ::close(fdDir);
        return false;
    }
    QByteArray program; // read once, for the first deleted file
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        // Following the descriptor's link reaches the open file itself, even
        // one whose name was removed since.
        struct statx st;
        if (::statx(fdDir, entry->d_name, AT_STATX_SYNC_AS_STAT, kDescriptorFields, &st) != 0 || !S_ISREG(st.stx_mode))
            continue;
        const dev_t device = makedev(st.stx_dev_major, st.stx_dev_minor);
        handler(device, st.stx_ino);
        if (deleted && st.stx_nlink == 0) {
            if (program.isEmpty())
                program = ReadProgramName(pidFd);
            deleted(DeletedOpenFile{device, st.stx_ino, (st.stx_mask & STATX_MNT_ID) ? st.stx_mnt_id : 0,
                                    std::int64_t(st.stx_blocks) * 512, pid, program});
        }
    }
    ::closedir(dir);
    return true;
}

bool CProcessFiles::ReadMaps(int pidFd, const FileHandler &handler, bool &denied)
{
    const int fd = ::openat(pidFd, "maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        denied = IsDenied(errno);
        return false;
    }
    std::vector<char> content(64 * 1024);
    std::size_t used = 0;
    const int error = ReadWhole(fd, content, used);
    ::close(fd);
    if (error != 0) {
        denied = IsDenied(error);
        return false;
    }

    // "start-end perms offset major:minor inode path": a mapped file has a
    // nonzero inode. One file takes several lines in a row; report it once.
    dev_t lastDevice = 0;
    ino_t lastInode = 0;
    const char *cursor = content.data();
    const char *end = cursor + used;
    while (cursor < end) {
        const char *newline = static_cast<const char *>(std::memchr(cursor, '\n', std::size_t(end - cursor)));
        const char *lineEnd = newline ? newline : end;
        const char *field = cursor;
        SkipField(field, lineEnd); // addresses
        SkipField(field, lineEnd); // permissions
        SkipField(field, lineEnd); // offset
        const unsigned major = unsigned(ParseNumber(field, lineEnd, 16));
        if (field < lineEnd && *field == ':') {
            ++field;
            const unsigned minor = unsigned(ParseNumber(field, lineEnd, 16));
            SkipField(field, lineEnd);
            const ino_t inode = ino_t(ParseNumber(field, lineEnd, 10));
            const dev_t device = makedev(major, minor);
            if (inode != 0 && (inode != lastInode || device != lastDevice)) {
                handler(device, inode);
                lastDevice = device;
                lastInode = inode;
            }
        }
        cursor = lineEnd + 1;
    }
    return true;
}

CProcessFiles::Stats CProcessFiles::Read(const FileHandler &handler, const DeletedHandler &deleted) const
{
    Stats stats;
    const int procFd = ::open(m_strProcRoot.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0)
        return stats;
    DIR *proc = ::fdopendir(::dup(procFd));
    if (!proc) {
        ::close(procFd);
        return stats;
    }
    while (const dirent *entry = ::readdir(proc)) {
        if (!IsPidName(entry->d_name))
            continue;
        const int pidFd = ::openat(procFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (pidFd < 0)
            continue; // gone since the listing
        bool fdDenied = false;
        bool mapsDenied = false;
        const bool fds = ReadDescriptors(pidFd, handler, deleted, pid_t(std::atol(entry->d_name)), fdDenied);
        const bool maps = ReadMaps(pidFd, handler, mapsDenied);
        ::close(pidFd);
        if (fds || maps || fdDenied || mapsDenied)
            ++stats.processes;
        // A process whose files we could not see is counted, never guessed at.
        if (fdDenied || mapsDenied)
            ++stats.unreadable;
    }
    ::closedir(proc);
    ::close(procFd);
    return stats;
}

void CProcessFiles::ParseLocks(const char *text, std::size_t length, const FileHandler &handler)
{
    // "1: FLOCK  ADVISORY  WRITE 1234 08:02:131090 0 EOF": the file is the
    // field with two colons, major and minor in hexadecimal, the inode in
    // decimal. A waiter ("1: -> FLOCK ...") names the same file.
    const char *cursor = text;
    const char *end = text + length;
    while (cursor < end) {
        const char *newline = static_cast<const char *>(std::memchr(cursor, '\n', std::size_t(end - cursor)));
        const char *lineEnd = newline ? newline : end;
        for (const char *field = cursor; field < lineEnd;) {
            const char *fieldEnd = field;
            while (fieldEnd < lineEnd && *fieldEnd != ' ')
                ++fieldEnd;
            const char *first = static_cast<const char *>(std::memchr(field, ':', std::size_t(fieldEnd - field)));
            const char *second = first ? static_cast<const char *>(std::memchr(first + 1, ':', std::size_t(fieldEnd - first - 1)))
                                       : nullptr;
            if (second) {
                const char *p = field;
                const unsigned major = unsigned(ParseNumber(p, first, 16));
                const bool majorOk = p == first && p > field;
                p = first + 1;
                const unsigned minor = unsigned(ParseNumber(p, second, 16));
                const bool minorOk = p == second && p > first + 1;
                p = second + 1;
                const ino_t inode = ino_t(ParseNumber(p, fieldEnd, 10));
                if (majorOk && minorOk && p == fieldEnd && inode != 0)
                    handler(makedev(major, minor), inode);
                break;
            }
            field = fieldEnd;
            while (field < lineEnd && *field == ' ')
                ++field;
        }
        cursor = lineEnd + 1;
    }
}

bool CProcessFiles::ReadLocks(const FileHandler &handler) const
{
    const QByteArray path = m_strProcRoot + "/locks";
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    std::vector<char> content(16 * 1024);
    std::size_t used = 0;
    ReadWhole(fd, content, used); // a table cut short still names the locks read
    ::close(fd);
    ParseLocks(content.data(), used, handler);
    return true;
}
