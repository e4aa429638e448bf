#include "platform/CActionJournal.h"

#include "platform/FolderPath.h"
#include "platform/JournalRecord.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Makes every missing level of `path` (absolute).
bool MakeFolders(const QByteArray &path)
{
    for (qsizetype slash = path.indexOf('/', 1); ; slash = path.indexOf('/', slash + 1)) {
        const QByteArray level = slash < 0 ? path : path.left(slash);
        if (::mkdir(level.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash < 0)
            return true;
    }
}

bool FolderNote(int folderFd, JournalRecord &record)
{
    std::uint64_t device = 0, inode = 0;
    if (!FolderPath::Of(folderFd, record.folder, device, inode)) {
        if (errno == 0)
            errno = ENOENT;
        return false;
    }
    record.folderDevice = device;
    record.folderInode = inode;
    return true;
}

} // namespace

CActionJournal &CActionJournal::Get()
{
    static CActionJournal journal;
    return journal;
}

QByteArray CActionJournal::StateFolder()
{
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    if (state.startsWith('/'))
        return state + "/brimvale";
    const QByteArray home = qgetenv("HOME");
    if (home.startsWith('/'))
        return home + "/.local/state/brimvale";
    return QByteArray();
}

CActionJournal::~CActionJournal()
{
    if (m_fd < 0)
        return;
    // A journal with notes still open is what the next start needs.
    if (m_open.empty() && !m_bLeaveOnExit)
        ::unlink(m_path.constData());
    ::close(m_fd);
}

bool CActionJournal::Open()
{
    if (m_fd >= 0)
        return true;
    const QByteArray folder = StateFolder();
    if (folder.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    if (!MakeFolders(folder))
        return false;
    for (int attempt = 0; attempt < 16; ++attempt) {
        unsigned char random[6] = {};
        if (::getrandom(random, sizeof random, 0) != ssize_t(sizeof random))
            random[attempt % sizeof random] ^= (unsigned char)(attempt + ::getpid());
        const QByteArray path = folder + "/journal-" + QByteArray::number(::getpid()) + '-'
                                + QByteArray(reinterpret_cast<const char *>(random), sizeof random).toHex();
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        // Held for the process's life: a start that finds it locked knows
        // its process still runs.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(path.constData());
            errno = error;
            return false;
        }
        m_fd = fd;
        m_path = path;
        // The journal's own name must outlive a power failure to be found.
        const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd >= 0) {
            ::fsync(folderFd);
            ::close(folderFd);
        }
        return true;
    }
    errno = EEXIST;
    return false;
}

int CActionJournal::Write(const QByteArray &line, bool flush)
{
    if (!Open())
        return 0;
    // One write: a killed process has either written the whole note or none.
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(m_fd, line.constData() + done, std::size_t(line.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return 0;
        }
        done += n;
    }
    m_nWritten += done;
    if (flush && ::fdatasync(m_fd) != 0)
        return 0;
    return 1;
}

int CActionJournal::NoteAside(int folderFd, const QByteArray &name, const QByteArray &asideName,
                              const FileIdentity &file)
{
    std::lock_guard lock(m_mutex);
    JournalRecord record;
    record.kind = JournalRecord::Aside;
    if (!FolderNote(folderFd, record))
        return 0;
    record.name = name;
    record.other = asideName;
    record.fileDevice = file.device;
    record.fileInode = file.inode;
    return WriteOpenNote(record, false);
}

int CActionJournal::NoteTemporary(int folderFd, const QByteArray &name)
{
    std::lock_guard lock(m_mutex);
    JournalRecord record;
    record.kind = JournalRecord::Temporary;
    if (!FolderNote(folderFd, record))
        return 0;
    record.name = name;
    return WriteOpenNote(record, true);
}

int CActionJournal::NoteArrival(int asideTicket, int folderFd, const QByteArray &name, const FileIdentity &copy)
{
    std::lock_guard lock(m_mutex);
    JournalRecord record;
    record.kind = JournalRecord::Arrival;
    if (!FolderNote(folderFd, record))
        return 0;
    record.name = name;
    record.fileDevice = copy.device;
    record.fileInode = copy.inode;
    record.ticketRef = asideTicket;
    // Flushed: a power failure after the link must not lose which copy it was.
    return WriteOpenNote(record, true);
}

int CActionJournal::NoteArchive(const QByteArray &folderPath, const QByteArray &name)
{
    std::lock_guard lock(m_mutex);
    JournalRecord record;
    record.kind = JournalRecord::Archive;
    record.folder = folderPath;
    record.name = name;
    return WriteOpenNote(record, true);
}

int CActionJournal::WriteOpenNote(JournalRecord &record, bool flush)
{
    record.ticket = m_nNextTicket;
    if (!Write(record.Encode(), flush))
        return 0;
    m_open.insert(m_nNextTicket);
    return m_nNextTicket++;
}

void CActionJournal::Clear(int ticket)
{
    if (ticket <= 0)
        return;
    std::lock_guard lock(m_mutex);
    if (m_open.erase(ticket) == 0 || m_fd < 0)
        return;
    if (m_open.empty() && m_nWritten >= kEmptyAtBytes) {
        // Nothing open: the journal starts again empty, so it never grows.
        // Not at every clear: emptying a file frees its block and the next
        // note allocates one again, which cost a Delete of many small files
        // about a third of its time.
        if (::ftruncate(m_fd, 0) != 0)
            m_bLeaveOnExit = true;
        m_nWritten = 0;
        return;
    }
    JournalRecord record;
    record.kind = JournalRecord::Cleared;
    record.ticket = ticket;
    record.ticketRef = ticket;
    if (!Write(record.Encode(), false))
        m_bLeaveOnExit = true;
}
