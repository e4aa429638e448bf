#include "platform/CJournalRecovery.h"

#include "platform/CActionJournal.h"
#include "platform/ArchiveTail.h"
#include "platform/FolderPath.h"
#include "platform/JournalRecord.h"

#include <QHash>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr int kRecoveredNames = 100;

QByteArray Join(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// The noted folder, if it still stands at its path as the same folder.
int OpenNotedFolder(const JournalRecord &record)
{
    const int fd = FolderPath::Open(record.folder);
    if (fd < 0 || record.folderInode == 0)
        return fd;
    struct statx st;
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO, &st) != 0 || st.stx_ino != record.folderInode
        || makedev(st.stx_dev_major, st.stx_dev_minor) != record.folderDevice) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// 1 when `name` in `folderFd` is the noted file, 0 when nothing is there,
// -1 when something else is.
int IsNotedFile(int folderFd, const QByteArray &name, std::uint64_t device, std::uint64_t inode)
{
    struct statx st;
    if (::statx(folderFd, name.constData(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_INO, &st) != 0)
        return errno == ENOENT ? 0 : -1;
    return st.stx_ino == inode && makedev(st.stx_dev_major, st.stx_dev_minor) == device ? 1 : -1;
}

bool IsPartOf(const QByteArray &entry, const QByteArray &archive)
{
    // ".NAME." + 12 hex digits + ".part", as the archive writer names it.
    const QByteArray head = '.' + archive + '.';
    if (!entry.startsWith(head) || !entry.endsWith(".part") || entry.size() != head.size() + 12 + 5)
        return false;
    for (qsizetype i = head.size(); i < head.size() + 12; ++i) {
        const char c = entry[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

class Recovery
{
public:
    explicit Recovery(CJournalRecovery::Report &report) : m_report(report) {}

    void Run(const QByteArray &text)
    {
        QHash<int, JournalRecord> open;
        QHash<int, int> arrivalOf; // aside ticket -> arrival ticket
        for (const QByteArray &line : text.split('\n')) {
            JournalRecord record;
            if (!JournalRecord::Decode(line, record))
                continue;
            if (record.kind == JournalRecord::Cleared) {
                open.remove(record.ticketRef);
                continue;
            }
            if (record.kind == JournalRecord::Arrival)
                arrivalOf.insert(record.ticketRef, record.ticket);
            open.insert(record.ticket, record);
        }
        for (const JournalRecord &record : open) {
            if (record.kind == JournalRecord::Aside) {
                const auto arrival = open.constFind(arrivalOf.value(record.ticket, 0));
                PutBack(record, arrival == open.constEnd() ? nullptr : &arrival.value());
            }
        }
        for (const JournalRecord &record : open) {
            if (record.kind == JournalRecord::Temporary)
                RemoveTemporary(record);
            else if (record.kind == JournalRecord::Archive)
                MendArchive(record);
        }
    }

private:
    void PutBack(const JournalRecord &aside, const JournalRecord *arrival)
    {
        const int folderFd = OpenNotedFolder(aside);
        if (folderFd < 0) {
            m_report.left.append(Join(aside.folder, aside.other));
            return;
        }
        const int here = IsNotedFile(folderFd, aside.other, aside.fileDevice, aside.fileInode);
        if (here <= 0) {
            // Gone from its aside name: the step was through (or someone
            // else's file by that name, not ours to touch).
            ::close(folderFd);
            return;
        }
        if (arrival && CopyArrived(*arrival)) {
            if (::unlinkat(folderFd, aside.other.constData(), 0) == 0)
                ++m_report.finished;
            else
                m_report.left.append(Join(aside.folder, aside.other));
            ::close(folderFd);
            return;
        }
        for (int attempt = 0; attempt <= kRecoveredNames; ++attempt) {
            const QByteArray name = CJournalRecovery::RecoveredName(aside.name, attempt);
            if (::renameat2(folderFd, aside.other.constData(), folderFd, name.constData(), RENAME_NOREPLACE) == 0) {
                if (attempt == 0)
                    ++m_report.restored;
                else
                    m_report.renamed.append(Join(aside.folder, name));
                ::close(folderFd);
                return;
            }
            if (errno != EEXIST)
                break;
        }
        m_report.left.append(Join(aside.folder, aside.other));
        ::close(folderFd);
    }

    static bool CopyArrived(const JournalRecord &arrival)
    {
        const int folderFd = OpenNotedFolder(arrival);
        if (folderFd < 0)
            return false;
        const bool arrived = IsNotedFile(folderFd, arrival.name, arrival.fileDevice, arrival.fileInode) == 1;
        ::close(folderFd);
        return arrived;
    }

    void RemoveTemporary(const JournalRecord &record)
    {
        const int folderFd = OpenNotedFolder(record);
        if (folderFd < 0)
            return;
        struct statx st;
        if (::statx(folderFd, record.name.constData(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &st) == 0
            && (S_ISREG(st.stx_mode) || S_ISLNK(st.stx_mode))
            && ::unlinkat(folderFd, record.name.constData(), 0) == 0)
            ++m_report.removed;
        ::close(folderFd);
    }

    // Removes the temporary copies of a new archive, and puts back the end
    // of an archive whose extension was cut off.
    void MendArchive(const JournalRecord &record)
    {
        RemoveParts(record);
        const int folderFd = FolderPath::Open(record.folder);
        if (folderFd < 0)
            return;
        const int fd = ::openat(folderFd, record.name.constData(),
                                O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        ::close(folderFd);
        if (fd < 0)
            return;
        struct stat st;
        // A process still writing it holds its lock.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ArchiveTail::Restore(fd);
        ::close(fd);
    }

    void RemoveParts(const JournalRecord &record)
    {
        const int folderFd = FolderPath::Open(record.folder);
        if (folderFd < 0)
            return;
        const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR *dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
        if (!dir) {
            if (listFd >= 0)
                ::close(listFd);
            ::close(folderFd);
            return;
        }
        QList<QByteArray> parts;
        while (const dirent *entry = ::readdir(dir)) {
            if (IsPartOf(QByteArray(entry->d_name), record.name))
                parts.append(QByteArray(entry->d_name));
        }
        ::closedir(dir);
        for (const QByteArray &part : parts) {
            struct statx st;
            if (::statx(folderFd, part.constData(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &st) == 0 && S_ISREG(st.stx_mode)
                && ::unlinkat(folderFd, part.constData(), 0) == 0)
                ++m_report.removed;
        }
        ::close(folderFd);
    }

    CJournalRecovery::Report &m_report;
};

} // namespace

QByteArray CJournalRecovery::RecoveredName(const QByteArray &name, int attempt)
{
    if (attempt == 0)
        return name;
    QByteArray recovered = name + " (recovered";
    if (attempt > 1)
        recovered += ' ' + QByteArray::number(attempt);
    return recovered + ')';
}

CJournalRecovery::Report CJournalRecovery::RecoverText(const QByteArray &text)
{
    Report report;
    Recovery(report).Run(text);
    return report;
}

CJournalRecovery::Report CJournalRecovery::Recover()
{
    Report report;
    const QByteArray folder = CActionJournal::StateFolder();
    if (folder.isEmpty())
        return report;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return report;
    QList<QByteArray> journals;
    while (const dirent *entry = ::readdir(dir)) {
        if (QByteArray(entry->d_name).startsWith("journal-"))
            journals.append(Join(folder, QByteArray(entry->d_name)));
    }
    ::closedir(dir);
    for (const QByteArray &path : journals) {
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat info;
        // A journal still locked belongs to a program that runs.
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        QByteArray text;
        char buffer[16384];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            text.append(buffer, n);
        const Report one = RecoverText(text);
        report.restored += one.restored;
        report.finished += one.finished;
        report.removed += one.removed;
        report.renamed += one.renamed;
        report.left += one.left;
        // A file not found again may be found by a later start (its folder
        // renamed back): that journal stays.
        if (one.left.isEmpty())
            ::unlink(path.constData());
        ::close(fd);
    }
    return report;
}
