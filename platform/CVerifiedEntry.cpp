#include "platform/CVerifiedEntry.h"

#include "platform/CSetAsideEntry.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray WithoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

bool IsDotOrDotDot(const QByteArray &component)
{
    return component == "." || component == "..";
}

// A folder component that is not a folder any more (a link or a file put in
// its place) means the listed file is not there; a missing one means gone.
FileOpResult FolderFailure(int error)
{
    if (error == ELOOP || error == ENOTDIR)
        return FileOpResult::Make(FileOpCode::Replaced, error);
    return FileOpResult::FromErrno(error);
}

} // namespace

bool CVerifiedEntry::SplitBelowRoot(const QByteArray &driveRoot, const QByteArray &path,
                                    QByteArray &relativeFolder, QByteArray &name)
{
    const QByteArray root = WithoutTrailingSlashes(driveRoot);
    if (root.isEmpty() || !root.startsWith('/'))
        return false;
    QByteArray rest;
    if (root == "/") {
        if (!path.startsWith('/'))
            return false;
        rest = path.mid(1);
    } else {
        if (!path.startsWith(root) || path.size() <= root.size() || path.at(root.size()) != '/')
            return false;
        rest = path.mid(root.size() + 1);
    }
    const int slash = rest.lastIndexOf('/');
    name = rest.mid(slash + 1);
    relativeFolder = slash < 0 ? QByteArray() : rest.left(slash);
    return !name.isEmpty() && !IsDotOrDotDot(name);
}

int CVerifiedEntry::OpenFolder(const QByteArray &driveRoot, const QByteArray &relativeFolder, FileOpResult &result)
{
    // The root is a mount point taken from the system's mount table, so it is
    // opened as named; every component below it must be a real folder.
    int fd = ::open(WithoutTrailingSlashes(driveRoot).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        result = FolderFailure(errno);
        return -1;
    }
    int start = 0;
    while (start < relativeFolder.size()) {
        int end = relativeFolder.indexOf('/', start);
        if (end < 0)
            end = relativeFolder.size();
        const QByteArray component = relativeFolder.mid(start, end - start);
        start = end + 1;
        if (component.isEmpty())
            continue;
        if (IsDotOrDotDot(component)) {
            ::close(fd);
            result = FileOpResult::Make(FileOpCode::Failed, EINVAL);
            return -1;
        }
        const int next = ::openat(fd, component.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        ::close(fd);
        if (next < 0) {
            result = FolderFailure(error);
            return -1;
        }
        fd = next;
    }
    result = FileOpResult::Success();
    return fd;
}

CVerifiedEntry::CVerifiedEntry(const QByteArray &driveRoot, const QByteArray &path, const FileIdentity &expected)
    : m_expected(expected)
{
    QByteArray relativeFolder;
    if (!SplitBelowRoot(driveRoot, path, relativeFolder, m_name)) {
        m_result = FileOpResult::Make(FileOpCode::Failed, EINVAL);
        return;
    }
    m_folderFd = OpenFolder(driveRoot, relativeFolder, m_result);
    if (m_folderFd >= 0)
        m_result = Recheck();
}

CVerifiedEntry::~CVerifiedEntry()
{
    if (m_folderFd >= 0)
        ::close(m_folderFd);
}

FileOpResult CVerifiedEntry::Recheck() const
{
    if (m_folderFd < 0)
        return m_result;
    return CSetAsideEntry::Check(m_folderFd, m_name, m_expected);
}
