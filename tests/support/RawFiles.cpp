#include "RawFiles.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool WriteFile(const QByteArray &path, const QByteArray &data)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, data.constData(), std::size_t(data.size())) == data.size();
    return ::close(fd) == 0 && ok;
}

QByteArray ReadFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return "<unreadable>";
    QByteArray data;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        data.append(buffer, n);
    ::close(fd);
    return data;
}

QList<QByteArray> LinesOf(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return {};
    ::close(fd);
    QList<QByteArray> lines = ReadFile(path).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool WriteData(const QByteArray &path, std::int64_t size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return false;
    const QByteArray chunk(1 << 16, 'd');
    bool ok = true;
    for (std::int64_t done = 0; ok && done < size;) {
        const std::size_t n = std::size_t(std::min<std::int64_t>(chunk.size(), size - done));
        ok = ::write(fd, chunk.constData(), n) == ssize_t(n);
        done += std::int64_t(n);
    }
    return ::close(fd) == 0 && ok;
}

std::int64_t AllocatedAt(const QByteArray &path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 ? std::int64_t(info.st_blocks) * 512 : -1;
}

bool Exists(const QByteArray &path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0;
}

QList<QByteArray> Entries(const QByteArray &folder)
{
    QList<QByteArray> found;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return found;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            found.append(name);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}

dev_t DeviceOf(const QByteArray &path)
{
    struct stat info;
    return ::stat(path.constData(), &info) == 0 ? info.st_dev : dev_t(0);
}
