#include "platform/CDpkgReader.h"

#include <QList>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kListSuffix[] = ".list";
constexpr std::size_t kListSuffixLength = sizeof(kListSuffix) - 1;

bool IsListName(const char *name)
{
    const std::size_t length = std::strlen(name);
    return length > kListSuffixLength && std::memcmp(name + length - kListSuffixLength, kListSuffix, kListSuffixLength) == 0;
}

// A line as the lists write it: no trailing carriage return or slash, and
// the root itself ("/.") named as "/".
void TrimLine(const char *&begin, const char *&end)
{
    while (end > begin && (end[-1] == '\r' || end[-1] == ' '))
        --end;
    while (end - begin > 1 && end[-1] == '/')
        --end;
    if (end - begin == 2 && begin[0] == '/' && begin[1] == '.')
        --end;
}

} // namespace

CDpkgReader::CDpkgReader(QByteArray databaseFolder) : m_strFolder(std::move(databaseFolder)) {}

bool CDpkgReader::Exists() const
{
    const QByteArray info = m_strFolder + "/info";
    const int fd = ::open(info.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool CDpkgReader::ReadWhole(int dirFd, const char *name, QByteArray &content)
{
    content.clear();
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    // The size is a hint only: a list rewritten while we read is read to its end.
    content.resize(qsizetype(st.st_size) + 1);
    qsizetype used = 0;
    for (;;) {
        if (used == content.size())
            content.resize(content.size() * 2 + 4096);
        const ssize_t got = ::read(fd, content.data() + used, std::size_t(content.size() - used));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            content.clear();
            return false;
        }
        if (got == 0)
            break;
        used += got;
    }
    ::close(fd);
    content.resize(used);
    m_nBytesRead += used;
    return true;
}

int CDpkgReader::ReadFileLists(const PathHandler &handler)
{
    const QByteArray info = m_strFolder + "/info";
    const int dirFd = ::open(info.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return -1;
    DIR *dir = ::fdopendir(::dup(dirFd));
    if (!dir) {
        ::close(dirFd);
        return -1;
    }
    int lists = 0;
    QByteArray content;
    while (const dirent *entry = ::readdir(dir)) {
        if (!IsListName(entry->d_name))
            continue;
        if (!ReadWhole(dirFd, entry->d_name, content)) {
            ++m_nUnreadableLists;
            continue;
        }
        ++lists;
        const char *cursor = content.constData();
        const char *end = cursor + content.size();
        while (cursor < end) {
            const char *newline = static_cast<const char *>(std::memchr(cursor, '\n', std::size_t(end - cursor)));
            const char *lineEnd = newline ? newline : end;
            const char *begin = cursor;
            const char *stop = lineEnd;
            TrimLine(begin, stop);
            if (stop > begin && begin[0] == '/')
                handler(begin, std::size_t(stop - begin));
            cursor = lineEnd + 1;
        }
    }
    ::closedir(dir);
    ::close(dirFd);
    return lists;
}

int CDpkgReader::ReadDiversions(const DiversionHandler &handler)
{
    const int dirFd = ::open(m_strFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    QByteArray content;
    const bool ok = ReadWhole(dirFd, "diversions", content);
    ::close(dirFd);
    if (!ok)
        return 0;
    const QList<QByteArray> lines = content.split('\n');
    int count = 0;
    // A trailing empty line is no diversion; an incomplete last group is ignored.
    for (qsizetype i = 0; i + 2 < lines.size(); i += 3) {
        QByteArray from = lines[i];
        QByteArray to = lines[i + 1];
        const char *fb = from.constData(), *fe = fb + from.size();
        const char *tb = to.constData(), *te = tb + to.size();
        TrimLine(fb, fe);
        TrimLine(tb, te);
        if (fe > fb && te > tb && fb[0] == '/' && tb[0] == '/') {
            handler(QByteArray(fb, fe - fb), QByteArray(tb, te - tb));
            ++count;
        }
    }
    return count;
}
