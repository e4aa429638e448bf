#include "platform/CFolderChain.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Levels just above the one being opened are never closed to make room:
// they are the ones a walk or an action climbs back to first.
constexpr int kKeptTail = 16;
constexpr int kFirstStride = 16;

FileOpResult FolderFailure(int error)
{
    if (error == ELOOP || error == ENOTDIR)
        return FileOpResult::Make(FileOpCode::Replaced, error);
    return FileOpResult::FromErrno(error);
}

bool IsDotOrDotDot(const QByteArray &name)
{
    return name == "." || name == "..";
}

// The identity of a folder just opened; on failure the descriptor is closed
// and `result` says why.
bool StatOpened(int fd, struct stat &info, FileOpResult &result)
{
    if (fd < 0) {
        result = FolderFailure(errno);
        return false;
    }
    if (::fstat(fd, &info) == 0)
        return true;
    result = FileOpResult::FromErrno(errno);
    ::close(fd);
    return false;
}

} // namespace

int CFolderChain::DefaultOpenLimit()
{
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 64;
    return int(std::clamp<rlim_t>(limit.rlim_cur / 4, 4, 64));
}

CFolderChain::~CFolderChain()
{
    Clear();
}

void CFolderChain::CloseLevel(Level &level)
{
    if (level.fd >= 0) {
        ::close(level.fd);
        level.fd = -1;
        --m_nOpen;
    }
}

void CFolderChain::Clear()
{
    for (Level &level : m_levels)
        CloseLevel(level);
    m_levels.clear();
    m_nOpen = 0;
}

bool CFolderChain::OpenRoot(const QByteArray &rootPath, FileOpResult &result)
{
    Clear();
    QByteArray path = rootPath;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    if (path.isEmpty() || path.contains('\0')) {
        result = FileOpResult::Make(FileOpCode::Failed, EINVAL);
        return false;
    }
    const int fd = ::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat info;
    if (!StatOpened(fd, info, result))
        return false;
    AdoptRoot(fd, info.st_dev, info.st_ino);
    m_levels.back().name = path;
    result = FileOpResult::Success();
    return true;
}

void CFolderChain::AdoptRoot(int fd, dev_t device, ino_t inode)
{
    Clear();
    Level root;
    root.fd = fd;
    root.device = device;
    root.inode = inode;
    root.known = true;
    m_levels.push_back(std::move(root));
    m_nOpen = 1;
}

void CFolderChain::Push(const QByteArray &name)
{
    Level level;
    level.name = name;
    m_levels.push_back(std::move(level));
}

void CFolderChain::PushOpen(const QByteArray &name, int fd, dev_t device, ino_t inode)
{
    if (m_nOpen >= m_nOpenLimit)
        Thin(GetDepth() - KeptTail(), GetDepth() - 1, m_nOpenLimit - KeptTail() / 2);
    Level level;
    level.name = name;
    level.fd = fd;
    level.device = device;
    level.inode = inode;
    level.known = true;
    m_levels.push_back(std::move(level));
    ++m_nOpen;
}

void CFolderChain::PushKnown(const QByteArray &name, dev_t device, ino_t inode)
{
    Level level;
    level.name = name;
    level.device = device;
    level.inode = inode;
    level.known = true;
    m_levels.push_back(std::move(level));
}

void CFolderChain::Truncate(int depth)
{
    if (depth < 0)
        depth = 0;
    while (GetDepth() > depth) {
        CloseLevel(m_levels.back());
        m_levels.pop_back();
    }
}

void CFolderChain::Thin(int keepFrom, int keepTo, int target)
{
    // Every stride-th level stays open as a point to reopen from, and so do
    // the levels being worked on; the stride grows until enough has been
    // closed.
    for (int stride = kFirstStride; m_nOpen >= target; stride *= kFirstStride) {
        for (int i = 1; i < GetDepth(); ++i) {
            if (i % stride != 0 && (i < keepFrom || i > keepTo))
                CloseLevel(m_levels[std::size_t(i)]);
        }
        if (stride > GetDepth())
            break;
    }
}

int CFolderChain::KeptTail() const
{
    return std::clamp(m_nOpenLimit / 4, 1, kKeptTail);
}

void CFolderChain::MakeRoom()
{
    // Out of descriptors with the chain well below its own limit: the
    // process has fewer than the chain thought. Half of what is open goes,
    // the deepest level and every stride-th one excepted.
    const int deepest = GetDepth() - 1;
    Thin(deepest, deepest, std::max(2, m_nOpen / 2));
}

bool CFolderChain::OpenLevel(int index, FileOpResult &result)
{
    Level &level = m_levels[std::size_t(index)];
    const int parentFd = m_levels[std::size_t(index - 1)].fd;
    if (level.name.isEmpty() || level.name.contains('/') || level.name.contains('\0') || IsDotOrDotDot(level.name)) {
        result = FileOpResult::Make(FileOpCode::Failed, EINVAL);
        return false;
    }
    if (m_nOpen >= m_nOpenLimit)
        Thin(index - KeptTail(), index - 1, m_nOpenLimit - KeptTail() / 2);
    const int flags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(parentFd, level.name.constData(), flags);
    // The process is short of descriptors for reasons of its own: give back
    // what the chain can spare, the parent excepted, and try again.
    for (int tries = 0; fd < 0 && (errno == EMFILE || errno == ENFILE) && tries < 4 && m_nOpen > 2; ++tries) {
        Thin(index - 1, index - 1, std::max(2, m_nOpen / 2));
        fd = ::openat(parentFd, level.name.constData(), flags);
    }
    struct stat info;
    if (!StatOpened(fd, info, result))
        return false;
    if (level.known && (info.st_dev != level.device || info.st_ino != level.inode)) {
        // Renamed away and something else put in its place since we were
        // last here: what lies below it is not what was listed.
        ::close(fd);
        result = FileOpResult::Make(FileOpCode::Replaced, 0);
        return false;
    }
    level.fd = fd;
    level.device = info.st_dev;
    level.inode = info.st_ino;
    level.known = true;
    ++m_nOpen;
    return true;
}

int CFolderChain::GetFd(int level, FileOpResult &result)
{
    if (level < 0 || level >= GetDepth()) {
        result = FileOpResult::Make(FileOpCode::Failed, EINVAL);
        return -1;
    }
    if (m_levels[std::size_t(level)].fd >= 0) {
        result = FileOpResult::Success();
        return m_levels[std::size_t(level)].fd;
    }
    int open = level;
    while (open > 0 && m_levels[std::size_t(open)].fd < 0)
        --open;
    if (m_levels[std::size_t(open)].fd < 0) {
        result = FileOpResult::Make(FileOpCode::Gone, EBADF);
        return -1;
    }
    for (int i = open + 1; i <= level; ++i) {
        if (!OpenLevel(i, result))
            return -1;
    }
    result = FileOpResult::Success();
    return m_levels[std::size_t(level)].fd;
}
