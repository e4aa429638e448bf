#include "platform/FolderPath.h"

#include "platform/DirectoryEntries.h"

#include <QHash>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace {

struct FolderKey
{
    std::uint64_t device;
    std::uint64_t inode;
    bool operator==(const FolderKey &other) const { return device == other.device && inode == other.inode; }
};

size_t qHash(const FolderKey &key, size_t seed = 0)
{
    return ::qHash(key.inode, seed) ^ ::qHash(key.device, seed);
}

// Paths of deep folders already climbed: an action goes from one file to
// the next folder by folder, and climbing each deep folder to the top again
// would cost its whole depth every time. A path is only a hint: whoever
// uses it checks the folder's identity.
std::mutex g_deepMutex;
QHash<FolderKey, QByteArray> g_deepPaths;
qsizetype g_nDeepBytes = 0;
constexpr qsizetype kDeepBytesLimit = qsizetype(64) << 20;

void RememberDeep(const FolderKey &key, const QByteArray &path)
{
    if (g_nDeepBytes + path.size() > kDeepBytesLimit) {
        g_deepPaths.clear();
        g_nDeepBytes = 0;
    }
    g_deepPaths.insert(key, path);
    g_nDeepBytes += path.size();
}

bool KeyOf(int fd, FolderKey &key)
{
    struct statx st;
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO, &st) != 0)
        return false;
    key = {makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino};
    return true;
}

// The path the kernel gives for `fd`; false when it is too long for it.
bool ProcPath(int fd, QByteArray &path, int &error)
{
    char link[40];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    std::vector<char> buffer(PATH_MAX);
    const ssize_t n = ::readlink(link, buffer.data(), buffer.size());
    if (n <= 0 || std::size_t(n) >= buffer.size()) {
        error = n < 0 ? errno : ENAMETOOLONG;
        return false;
    }
    path = QByteArray(buffer.data(), n);
    // A folder removed since is named "... (deleted)": it has no path.
    if (!path.startsWith('/') || path.endsWith(" (deleted)")) {
        error = ENOENT;
        return false;
    }
    return true;
}

// The name under which `child` stands in the folder open as `parentFd`.
bool NameIn(int parentFd, const FolderKey &child, QByteArray &name)
{
    const int fd = ::openat(parentFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::vector<char> buffer(DirectoryEntries::kBufferSize);
    bool found = false;
    for (;;) {
        const long read = ::syscall(SYS_getdents64, fd, buffer.data(), buffer.size());
        if (read <= 0)
            break;
        for (long pos = 0; pos < read && !found;) {
            const auto *entry = reinterpret_cast<const DirectoryEntries::LinuxDirent64 *>(buffer.data() + pos);
            pos += entry->d_reclen;
            if (entry->d_ino != child.inode || DirectoryEntries::IsDots(entry->d_name))
                continue;
            struct statx st;
            if (::statx(fd, entry->d_name, AT_SYMLINK_NOFOLLOW, STATX_INO, &st) == 0
                && FolderKey{makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino} == child) {
                name = QByteArray(entry->d_name);
                found = true;
            }
        }
        if (found)
            break;
    }
    ::close(fd);
    return found;
}

// The folder named last, so that an action going from one folder to the
// next (the same, or its parent, as when deleting from the deepest file
// up) need not have the kernel spell out the whole path each time: that
// costs the folder's depth, and a chain thousands of levels deep would cost
// its depth squared.
std::mutex g_lastMutex;
FolderKey g_lastKey{0, 0};
QByteArray g_lastPath;

bool FromLast(int fd, const FolderKey &key, QByteArray &path)
{
    std::lock_guard lock(g_lastMutex);
    if (g_lastPath.isEmpty())
        return false;
    if (key == g_lastKey) {
        path = g_lastPath;
        return true;
    }
    // The parent of the last folder holds it under its last name.
    const qsizetype slash = g_lastPath.lastIndexOf('/');
    if (slash < 0)
        return false;
    struct statx st;
    const QByteArray name = g_lastPath.mid(slash + 1);
    if (name.isEmpty() || ::statx(fd, name.constData(), AT_SYMLINK_NOFOLLOW, STATX_INO, &st) != 0
        || !(FolderKey{makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino} == g_lastKey))
        return false;
    path = slash == 0 ? QByteArray("/") : g_lastPath.left(slash);
    return true;
}

void RememberLast(const FolderKey &key, const QByteArray &path)
{
    std::lock_guard lock(g_lastMutex);
    g_lastKey = key;
    g_lastPath = path;
}

bool Resolve(int fd, const FolderKey &key, QByteArray &path);

} // namespace

bool FolderPath::Of(int fd, QByteArray &path, std::uint64_t &device, std::uint64_t &inode)
{
    FolderKey key;
    if (!KeyOf(fd, key))
        return false;
    device = key.device;
    inode = key.inode;
    if (FromLast(fd, key, path) || Resolve(fd, key, path)) {
        RememberLast(key, path);
        return true;
    }
    return false;
}

namespace {

bool Resolve(int fd, const FolderKey &key, QByteArray &path)
{
    int error = 0;
    if (ProcPath(fd, path, error))
        return true;
    if (error != ENAMETOOLONG)
        return false;

    std::lock_guard lock(g_deepMutex);
    // Climb until a folder the kernel can name, or one climbed before.
    std::vector<std::pair<FolderKey, QByteArray>> climbed; // each folder and its name, deepest first
    int current = ::openat(fd, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    FolderKey currentKey = key;
    QByteArray top;
    bool ok = false;
    while (current >= 0) {
        const auto known = g_deepPaths.constFind(currentKey);
        if (known != g_deepPaths.constEnd()) {
            top = known.value();
            ok = true;
            break;
        }
        if (!climbed.empty() && ProcPath(current, top, error)) {
            ok = true;
            break;
        }
        const int parent = ::openat(current, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        FolderKey parentKey;
        QByteArray name;
        if (parent < 0 || !KeyOf(parent, parentKey) || parentKey == currentKey || !NameIn(parent, currentKey, name)) {
            if (parent >= 0)
                ::close(parent);
            break;
        }
        climbed.emplace_back(currentKey, name);
        ::close(current);
        current = parent;
        currentKey = parentKey;
    }
    if (current >= 0)
        ::close(current);
    if (!ok)
        return false;
    for (auto it = climbed.rbegin(); it != climbed.rend(); ++it) {
        if (!top.endsWith('/'))
            top += '/';
        top += it->second;
        RememberDeep(it->first, top);
    }
    path = top;
    return true;
}

} // namespace

int FolderPath::Open(const QByteArray &path)
{
    if (!path.startsWith('/')) {
        errno = EINVAL;
        return -1;
    }
    int fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (const QByteArray &component : path.split('/')) {
        if (fd < 0)
            return -1;
        if (component.isEmpty())
            continue;
        if (component == "." || component == "..") {
            ::close(fd);
            errno = EINVAL;
            return -1;
        }
        const int next = ::openat(fd, component.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        ::close(fd);
        errno = error;
        fd = next;
    }
    return fd;
}
