#include "platform/CFolderMaker.h"

#include "platform/DeviceOf.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kLevelFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool SameFolder(int fd, dev_t device, ino_t inode)
{
    struct stat info;
    return ::fstat(fd, &info) == 0 && info.st_dev == device && info.st_ino == inode;
}

} // namespace

CFolderMaker::~CFolderMaker()
{
    CloseLevels();
    if (m_baseFd >= 0)
        ::close(m_baseFd);
}

bool CFolderMaker::OpenBase(const QByteArray &path, FileOpResult &result)
{
    CloseLevels();
    m_made.clear();
    if (m_baseFd >= 0)
        ::close(m_baseFd);
    m_baseFd = path.isEmpty() || path.contains('\0') ? -1
                                                     : ::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_baseFd < 0) {
        result = path.isEmpty() ? FileOpResult::Make(FileOpCode::Failed, EINVAL) : FileOpResult::FromErrno(errno);
        return false;
    }
    return true;
}

void CFolderMaker::CloseLevels()
{
    for (const Level &level : m_levels)
        ::close(level.fd);
    m_levels.clear();
}

QList<QByteArray> CFolderMaker::SplitLevels(const QByteArray &relative)
{
    QList<QByteArray> levels;
    for (const QByteArray &level : relative.split('/'))
        if (!level.isEmpty())
            levels.append(level);
    return levels;
}

int CFolderMaker::Reach(const QList<QByteArray> &levels, bool create, FileOpResult &result)
{
    CloseLevels();
    m_made.clear();
    if (m_baseFd < 0) {
        result = FileOpResult::Make(FileOpCode::Failed, EBADF);
        return -1;
    }
    QByteArray relative;
    int cur = m_baseFd;
    for (const QByteArray &name : levels) {
        if (name == "." || name == ".." || name.contains('/') || name.contains('\0')) {
            result = FileOpResult::Make(FileOpCode::Failed, EINVAL);
            return -1;
        }
        relative += relative.isEmpty() ? name : '/' + name;
        int fd = ::openat(cur, name.constData(), kLevelFlags);
        bool made = false;
        if (fd < 0 && errno == ENOENT && create) {
            made = ::mkdirat(cur, name.constData(), 0777) == 0;
            if (!made && errno != EEXIST) {
                result = FileOpResult::FromErrno(errno);
                return -1;
            }
            fd = ::openat(cur, name.constData(), kLevelFlags);
            if (fd < 0 && made) {
                const int error = errno;
                ::unlinkat(cur, name.constData(), AT_REMOVEDIR);
                errno = error;
            }
        }
        if (fd < 0) {
            result = FileOpResult::FromErrno(errno);
            return -1;
        }
        m_levels.push_back({cur, name, fd, made});
        if (made) {
            struct stat info;
            if (::fstat(fd, &info) == 0)
                m_made.push_back({relative, info.st_dev, info.st_ino});
        }
        cur = fd;
    }
    return cur;
}

void CFolderMaker::RemoveMade()
{
    for (auto it = m_levels.rbegin(); it != m_levels.rend(); ++it) {
        if (!it->made || ::unlinkat(it->parentFd, it->name.constData(), AT_REMOVEDIR) != 0)
            break;
    }
    CloseLevels();
    m_made.clear();
}

bool CFolderMaker::RemoveIfEmpty(const MadeFolder &folder)
{
    QList<QByteArray> levels = SplitLevels(folder.relative);
    if (levels.isEmpty() || m_baseFd < 0)
        return false;
    const QByteArray last = levels.takeLast();
    FileOpResult result;
    const int parent = Reach(levels, false, result);
    if (parent < 0)
        return false;
    const int fd = ::openat(parent, last.constData(), kLevelFlags);
    if (fd < 0)
        return false;
    const bool same = SameFolder(fd, folder.device, folder.inode);
    ::close(fd);
    // An empty folder that someone put in its place meanwhile is not ours.
    const bool removed = same && ::unlinkat(parent, last.constData(), AT_REMOVEDIR) == 0;
    CloseLevels();
    return removed;
}

bool CFolderMaker::GetBaseDevice(dev_t &device) const
{
    return m_baseFd >= 0 && DeviceOf(m_baseFd, device);
}
