#include "platform/CSetAsideEntry.h"

#include "platform/CActionJournal.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned kIdentityFields = STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_BTIME;
constexpr int kTries = 8;

QByteArray RandomAsideName()
{
    unsigned char bytes[12] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != ssize_t(sizeof bytes)) {
        // Without the kernel's randomness the name is merely unusual; the
        // rename still never replaces anything.
        static unsigned counter = 0;
        const unsigned long mix = (unsigned long)::getpid() * 2654435761UL ^ ++counter;
        for (std::size_t i = 0; i < sizeof bytes; ++i)
            bytes[i] = (unsigned char)(mix >> ((i % 8) * 8));
    }
    QByteArray name(".bv-aside-");
    name += QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes).toHex();
    return name;
}

} // namespace

FileOpResult CSetAsideEntry::Compare(const FileIdentity &expected, const FileIdentity &now)
{
    if (now.device != expected.device || now.inode != expected.inode || now.type != expected.type)
        return FileOpResult::Make(FileOpCode::Replaced, 0);
    if (!expected.SameFile(now))
        return FileOpResult::Make(FileOpCode::Changed, 0);
    return FileOpResult::Success();
}

FileOpResult CSetAsideEntry::Check(int folderFd, const QByteArray &name, const FileIdentity &expected)
{
    struct statx st;
    if (::statx(folderFd, name.constData(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kIdentityFields, &st) != 0)
        return FileOpResult::FromErrno(errno);
    return Compare(expected, FileIdentity::FromStatx(st));
}

bool CSetAsideEntry::RenameNoReplace(const QByteArray &from, const QByteArray &to, int &error) const
{
    if (::renameat2(m_folderFd, from.constData(), m_folderFd, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    error = errno;
    if (error != EINVAL)
        return false;
    // A file system without RENAME_NOREPLACE: look first, then rename. Only a
    // process that knew the target name in advance could slip in between.
    struct stat info;
    if (::fstatat(m_folderFd, to.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        error = EEXIST;
        return false;
    }
    if (::renameat(m_folderFd, from.constData(), m_folderFd, to.constData()) == 0)
        return true;
    error = errno;
    return false;
}

CSetAsideEntry::CSetAsideEntry(int folderFd, const QByteArray &name, const FileIdentity &expected)
    : m_folderFd(folderFd), m_name(name), m_expected(expected)
{
    if (folderFd < 0 || name.isEmpty() || name.contains('/') || name == "." || name == "..") {
        m_result = FileOpResult::Make(FileOpCode::Failed, EINVAL);
        return;
    }
    // The first look turns away most changed files without touching them.
    m_result = Check(folderFd, name, expected);
    if (!m_result.ok())
        return;

    int error = 0;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        const QByteArray aside = RandomAsideName();
        // Noted first: a process killed while the file is aside leaves what
        // the next start needs to put it back.
        m_nTicket = CActionJournal::Get().NoteAside(folderFd, name, aside, expected);
        if (m_nTicket == 0) {
            error = errno ? errno : EIO;
            break;
        }
        if (RenameNoReplace(name, aside, error)) {
            m_asideName = aside;
            break;
        }
        CActionJournal::Get().Clear(m_nTicket);
        m_nTicket = 0;
        if (error != EEXIST)
            break;
    }
    if (m_asideName.isEmpty()) {
        m_result = FileOpResult::FromErrno(error);
        return;
    }
    // What was renamed is whatever stood under the name at that instant:
    // only now, under a name nobody else knows, does a check hold.
    m_bHeld = true;
    const FileOpResult second = Check(folderFd, m_asideName, expected);
    if (second.ok()) {
        m_result = second;
        return;
    }
    const FileOpResult restored = Restore();
    m_result = restored.ok() ? second : restored;
}

CSetAsideEntry::~CSetAsideEntry()
{
    if (m_bHeld)
        Restore();
}

FileOpResult CSetAsideEntry::Restore()
{
    if (!m_bHeld)
        return m_result;
    int error = 0;
    if (!RenameNoReplace(m_asideName, m_name, error)) {
        if (error == ENOENT) {
            // Someone found the aside name and took the file away: there is
            // nothing left to put back.
            m_bHeld = false;
            Release();
            return FileOpResult::Make(FileOpCode::Gone, error);
        }
        // It stays where it is; trying again will not help now. Its journal
        // note stays open, so that a later start puts it back once its name
        // is free, or under a name of its own.
        m_bHeld = false;
        m_nTicket = 0;
        return FileOpResult::Make(FileOpCode::LeftAside, error);
    }
    m_bHeld = false;
    Release();
    return FileOpResult::Success();
}

void CSetAsideEntry::Release()
{
    CActionJournal::Get().Clear(m_nTicket);
    m_nTicket = 0;
}

FileOpResult CSetAsideEntry::Unlink(bool restoreOnFailure)
{
    if (!m_bHeld)
        return m_result.ok() ? FileOpResult::Make(FileOpCode::Failed, EINVAL) : m_result;
    if (::unlinkat(m_folderFd, m_asideName.constData(), 0) == 0) {
        m_bHeld = false;
        Release();
        return FileOpResult::Success();
    }
    const FileOpResult failure = FileOpResult::FromErrno(errno);
    if (!restoreOnFailure)
        return failure;
    const FileOpResult restored = Restore();
    return restored.ok() ? failure : restored;
}

FileOpResult CSetAsideEntry::RenameTo(int toFolderFd, const QByteArray &toName)
{
    if (!m_bHeld)
        return m_result.ok() ? FileOpResult::Make(FileOpCode::Failed, EINVAL) : m_result;
    if (toName.isEmpty() || toName.contains('/') || toName == "." || toName == "..")
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    if (::renameat2(m_folderFd, m_asideName.constData(), toFolderFd, toName.constData(), RENAME_NOREPLACE) == 0) {
        m_bHeld = false;
        Release();
        return FileOpResult::Success();
    }
    // Not sorted through FromErrno: a missing or clashing destination says
    // nothing about the held file, which is still here.
    return FileOpResult::Make(FileOpCode::Failed, errno);
}

int CSetAsideEntry::OpenForReading(FileOpResult &result) const
{
    if (!m_bHeld) {
        result = m_result.ok() ? FileOpResult::Make(FileOpCode::Failed, EINVAL) : m_result;
        return -1;
    }
    const int fd = ::openat(m_folderFd, m_asideName.constData(),
                            O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        result = FileOpResult::FromErrno(errno);
        return -1;
    }
    struct statx st;
    if (::statx(fd, "", AT_EMPTY_PATH, kIdentityFields, &st) != 0) {
        result = FileOpResult::FromErrno(errno);
        ::close(fd);
        return -1;
    }
    result = Compare(m_expected, FileIdentity::FromStatx(st));
    if (!result.ok()) {
        ::close(fd);
        return -1;
    }
    return fd;
}
