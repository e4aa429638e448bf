#include "platform/CFileMover.h"

#include "platform/CActionJournal.h"
#include "platform/CSetAsideEntry.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

// Closes a descriptor when it goes out of scope.
struct Fd
{
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
};

QByteArray TemporaryName()
{
    static std::mt19937_64 random{std::random_device{}()};
    return ".bv-move-" + QByteArray::number(qulonglong(random()), 36) + ".tmp";
}

bool WriteAll(int fd, const char *data, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= std::size_t(n);
        offset += n;
    }
    return true;
}

// Whoever follows a copy hears of it after every block and may stop it.
struct CopyWatch
{
    const CFileMover::CopyProgress *progress = nullptr;
    off_t total = 0;

    // False, with errno ECANCELED, when the copy is to stop at `done`.
    bool GoOn(off_t done) const
    {
        if (!progress || !*progress || (*progress)(done, total))
            return true;
        errno = ECANCELED;
        return false;
    }
    // A block small enough that a Cancel is seen soon after it is asked for.
    std::size_t Block(off_t left) const
    {
        constexpr off_t kWatchedBlock = off_t(8) << 20;
        return std::size_t(progress && *progress ? std::min(left, kWatchedBlock) : left);
    }
};

// Copies bytes [from, to) of `in` to the same place in `out`.
bool CopyRange(int in, int out, off_t from, off_t to, bool &useCopyRange, const CopyWatch &watch)
{
    while (from < to && useCopyRange) {
        loff_t inOff = from, outOff = from;
        const ssize_t n = ::copy_file_range(in, &inOff, out, &outOff, watch.Block(to - from), 0);
        if (n > 0) {
            from += n;
            if (!watch.GoOn(from))
                return false;
            continue;
        }
        if (n == 0)
            break;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EBADF)
            return false;
        useCopyRange = false;
    }
    static thread_local std::vector<char> buffer(std::size_t(1) << 20);
    while (from < to) {
        const std::size_t want = std::size_t(std::min<off_t>(to - from, off_t(buffer.size())));
        const ssize_t n = ::pread(in, buffer.data(), want, from);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break; // the file shrank; the identity check afterwards catches it
        if (!WriteAll(out, buffer.data(), std::size_t(n), from))
            return false;
        from += n;
        if (!watch.GoOn(from))
            return false;
    }
    return true;
}

// Copies the data of `in` to `out`, leaving holes where `in` has them.
bool CopyData(int in, int out, off_t size, const CopyWatch &watch)
{
    bool useCopyRange = true;
    off_t pos = 0;
    while (pos < size) {
        off_t data = ::lseek(in, pos, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO)
                break; // only a hole is left
            if (errno != EINVAL)
                return false;
            data = pos; // no hole support: everything is data
        }
        off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0)
            hole = size;
        if (hole > size)
            hole = size;
        if (!CopyRange(in, out, data, hole, useCopyRange, watch))
            return false;
        pos = hole;
    }
    return ::ftruncate(out, size) == 0;
}

void CopyExtendedAttributes(int in, int out)
{
    ssize_t listSize = ::flistxattr(in, nullptr, 0);
    if (listSize <= 0)
        return;
    std::vector<char> names(std::size_t(listSize) + 1);
    listSize = ::flistxattr(in, names.data(), names.size());
    if (listSize <= 0)
        return;
    std::vector<char> value;
    for (ssize_t i = 0; i < listSize;) {
        const char *name = names.data() + i;
        const std::size_t length = std::strlen(name);
        i += ssize_t(length) + 1;
        const ssize_t valueSize = ::fgetxattr(in, name, nullptr, 0);
        if (valueSize < 0)
            continue;
        value.resize(std::size_t(valueSize) + 1);
        const ssize_t got = ::fgetxattr(in, name, value.data(), value.size());
        if (got < 0)
            continue;
        // Attributes the destination cannot hold (another file system, no
        // privilege for its namespace) are left behind; the data is what counts.
        ::fsetxattr(out, name, value.data(), std::size_t(got), 0);
    }
}

bool FlushFolder(int folderFd)
{
    const int fd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Gives a filled temporary file its name. Never replaces anything.
bool LinkIntoPlace(int tmpFd, int toFd, const QByteArray &tmpName, const QByteArray &toName)
{
    if (!tmpName.isEmpty())
        return ::renameat2(toFd, tmpName.constData(), toFd, toName.constData(), RENAME_NOREPLACE) == 0;
    if (::linkat(tmpFd, "", toFd, toName.constData(), AT_EMPTY_PATH) == 0)
        return true;
    if (errno != EPERM && errno != ENOENT)
        return false;
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(tmpFd);
    return ::linkat(AT_FDCWD, proc.constData(), toFd, toName.constData(), AT_SYMLINK_FOLLOW) == 0;
}

// Whether two folder descriptors reach one folder (bind mounts and links
// included): the same device and inode.
bool SameFolder(int a, int b)
{
    struct stat first, second;
    return ::fstat(a, &first) == 0 && ::fstat(b, &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

FileOpResult Failure()
{
    const int error = errno ? errno : EIO;
    return FileOpResult::Make(FileOpCode::Failed, error);
}

// Whether a rename from one folder to the other can work: the same mount.
bool SameMount(int fromFd, int toFd)
{
    struct statx a, b;
    if (::statx(fromFd, "", AT_EMPTY_PATH, STATX_MNT_ID, &a) != 0
        || ::statx(toFd, "", AT_EMPTY_PATH, STATX_MNT_ID, &b) != 0)
        return true; // let the rename tell
    if ((a.stx_mask & STATX_MNT_ID) && (b.stx_mask & STATX_MNT_ID))
        return a.stx_mnt_id == b.stx_mnt_id;
    return a.stx_dev_major == b.stx_dev_major && a.stx_dev_minor == b.stx_dev_minor;
}

// What can be known before the source is touched: a move refused here
// leaves the source's folder exactly as it was, its times included.
FileOpResult CheckBeforeMove(int fromFd, const QByteArray &name, const FileIdentity &expected, int toFd,
                             const QByteArray &toName)
{
    const FileOpResult listed = CSetAsideEntry::Check(fromFd, name, expected);
    if (!listed.ok())
        return listed;
    if (::faccessat(toFd, toName.constData(), F_OK, AT_SYMLINK_NOFOLLOW) == 0)
        return FileOpResult::Make(FileOpCode::Failed, EEXIST);
    if (::faccessat(fromFd, ".", W_OK | X_OK, AT_EACCESS) != 0 || ::faccessat(toFd, ".", W_OK | X_OK, AT_EACCESS) != 0)
        return FileOpResult::FromErrno(errno);
    return FileOpResult::Success();
}

// A copy made at the destination that has no name there yet (or only a
// temporary one noted in the journal), and its removal when it is not used.
struct PendingCopy
{
    int toFd;
    QByteArray tmpName; // empty for an unnamed temporary file
    int tmpTicket = 0;  // the journal's note of tmpName
    FileIdentity made;

    explicit PendingCopy(int folder) : toFd(folder) {}
    ~PendingCopy()
    {
        if (!tmpName.isEmpty())
            ::unlinkat(toFd, tmpName.constData(), 0);
        CActionJournal::Get().Clear(tmpTicket);
    }
    PendingCopy(const PendingCopy &) = delete;
    PendingCopy &operator=(const PendingCopy &) = delete;

    // Picks and notes a temporary name; false with errno set.
    bool NoteName()
    {
        tmpName = TemporaryName();
        tmpTicket = CActionJournal::Get().NoteTemporary(toFd, tmpName);
        if (tmpTicket == 0) {
            tmpName.clear();
            return false;
        }
        return true;
    }
    // The copy now has its final name: nothing is left to remove.
    void Placed()
    {
        tmpName.clear();
        CActionJournal::Get().Clear(tmpTicket);
        tmpTicket = 0;
    }
};

// Puts the source aside for the last check, links the finished copy in under
// `toName`, flushes the folder and unlinks the source. The journal notes
// that the copy is about to arrive before it does, so that a process
// killed from then on leaves the next start to finish the move, not undo it.
FileOpResult PlaceCopy(int fromFd, const QByteArray &name, const FileIdentity &expected, PendingCopy &copy, int outFd,
                       const QByteArray &toName, FileIdentity *arrived)
{
    CSetAsideEntry entry(fromFd, name, expected);
    if (!entry.IsHeld())
        return entry.GetResult();
    const int arrival = CActionJournal::Get().NoteArrival(entry.GetJournalTicket(), copy.toFd, toName, copy.made);
    if (arrival == 0)
        return Failure();
    const auto forgetArrival = [&] { CActionJournal::Get().Clear(arrival); };
    if (!LinkIntoPlace(outFd, copy.toFd, copy.tmpName, toName)) {
        const FileOpResult failed = Failure();
        forgetArrival();
        return failed;
    }
    copy.Placed();
    if (!FlushFolder(copy.toFd)) {
        const FileOpResult failed = Failure();
        ::unlinkat(copy.toFd, toName.constData(), 0);
        forgetArrival();
        return failed;
    }
    const FileOpResult removed = entry.Unlink(false);
    if (!removed.ok()) {
        // The copy goes first, then the source comes back: never both.
        ::unlinkat(copy.toFd, toName.constData(), 0);
        forgetArrival();
        const FileOpResult restored = entry.Restore();
        return restored.ok() ? removed : restored;
    }
    forgetArrival();
    if (arrived)
        *arrived = copy.made;
    return FileOpResult::Success();
}

// Copies the link `name` to `toName`: made under a noted temporary name, then
// renamed into place while the source is aside.
FileOpResult CopyLink(int fromFd, const QByteArray &name, const FileIdentity &expected, int toFd,
                      const QByteArray &toName, FileIdentity *arrived)
{
    std::vector<char> target(4096);
    for (;;) {
        const ssize_t n = ::readlinkat(fromFd, name.constData(), target.data(), target.size());
        if (n < 0)
            return Failure();
        if (std::size_t(n) < target.size()) {
            target.resize(std::size_t(n));
            break;
        }
        target.resize(target.size() * 2);
    }
    target.push_back('\0');
    PendingCopy copy(toFd);
    if (!copy.NoteName() || ::symlinkat(target.data(), toFd, copy.tmpName.constData()) != 0)
        return Failure();
    // Times and owner are given under the temporary name, so that what is
    // read back below is the link this move made and nothing put in its place.
    struct statx st;
    if (::statx(fromFd, name.constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &st) == 0) {
        struct timespec times[2] = {{st.stx_atime.tv_sec, long(st.stx_atime.tv_nsec)},
                                    {st.stx_mtime.tv_sec, long(st.stx_mtime.tv_nsec)}};
        ::utimensat(toFd, copy.tmpName.constData(), times, AT_SYMLINK_NOFOLLOW);
        ::fchownat(toFd, copy.tmpName.constData(), st.stx_uid, st.stx_gid, AT_SYMLINK_NOFOLLOW);
    }
    struct statx made;
    if (::statx(toFd, copy.tmpName.constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &made) != 0)
        return Failure();
    copy.made = FileIdentity::FromStatx(made);
    return PlaceCopy(fromFd, name, expected, copy, -1, toName, arrived);
}

// Copies the regular file `name` to `toName`. The copy is read from the
// file under its own name; the file is set aside only for the last check
// and the unlink, never for the length of the copy.
FileOpResult CopyFile(int fromFd, const QByteArray &name, const FileIdentity &expected, int toFd,
                      const QByteArray &toName, bool namedTemporary, const CFileMover::CopyProgress &progress,
                      FileIdentity *arrived)
{
    Fd in(::openat(fromFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (in.fd < 0)
        return FileOpResult::FromErrno(errno);
    struct statx st;
    if (::statx(in.fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return Failure();
    const FileOpResult opened = CSetAsideEntry::Compare(expected, FileIdentity::FromStatx(st));
    if (!opened.ok())
        return opened;
    struct stat info;
    if (::fstat(in.fd, &info) != 0)
        return Failure();

    PendingCopy copy(toFd);
    Fd out(namedTemporary ? -1 : ::openat(toFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (out.fd < 0) {
        if (!namedTemporary && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return Failure();
        if (!copy.NoteName())
            return Failure();
        out.fd = ::openat(toFd, copy.tmpName.constData(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (out.fd < 0) {
            const FileOpResult failed = Failure();
            copy.tmpName.clear(); // not made: nothing of ours to remove
            return failed;
        }
    }
    if (!CopyData(in.fd, out.fd, info.st_size, CopyWatch{&progress, info.st_size}))
        return Failure();
    CopyExtendedAttributes(in.fd, out.fd);
    // The owner first: changing it clears set-user-id bits that fchmod sets.
    ::fchown(out.fd, info.st_uid, info.st_gid);
    if (::fchmod(out.fd, info.st_mode & 07777) != 0)
        return Failure();
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::futimens(out.fd, times) != 0 || ::fsync(out.fd) != 0)
        return Failure();
    // The source must still be the file that was copied, unchanged.
    if (::statx(in.fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return Failure();
    const FileOpResult same = CSetAsideEntry::Compare(expected, FileIdentity::FromStatx(st));
    if (!same.ok())
        return same;
    // The copy as it will stand at the destination: its own inode, its own
    // birth time, the source's size and modification time.
    struct statx made;
    if (::statx(out.fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &made) != 0)
        return Failure();
    copy.made = FileIdentity::FromStatx(made);
    return PlaceCopy(fromFd, name, expected, copy, out.fd, toName, arrived);
}

} // namespace

FileOpResult CFileMover::Move(int fromFd, const QByteArray &name, const FileIdentity &expected,
                              int toFd, const QByteArray &toName, FileIdentity *arrived)
{
    if (toName.isEmpty() || toName.contains('/') || toName == "." || toName == "..")
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    // Onto its own place: set aside first, the file would leave its name
    // free and the rename would put it straight back, a move that moved
    // nothing.
    if (toName == name && SameFolder(fromFd, toFd))
        return FileOpResult::Make(FileOpCode::AlreadyThere, EEXIST);
    const FileOpResult ready = CheckBeforeMove(fromFd, name, expected, toFd, toName);
    if (!ready.ok())
        return ready;
    if (!m_bAlwaysCopy && SameMount(fromFd, toFd)) {
        CSetAsideEntry entry(fromFd, name, expected);
        if (!entry.IsHeld())
            return entry.GetResult();
        const FileOpResult renamed = entry.RenameTo(toFd, toName);
        // Renamed, the file is the very one that was checked under its
        // set-aside name.
        if (renamed.ok() && arrived)
            *arrived = expected;
        if (renamed.ok() || renamed.error != EXDEV)
            return renamed;
        // Another file system after all (a mount the ids did not tell):
        // back under its name, and copied from there.
        const FileOpResult restored = entry.Restore();
        if (!restored.ok())
            return restored;
    }
    const unsigned type = expected.type & S_IFMT;
    if (type == S_IFLNK)
        return CopyLink(fromFd, name, expected, toFd, toName, arrived);
    if (type != S_IFREG && expected.type != 0)
        return FileOpResult::Make(FileOpCode::Failed, EINVAL);
    return CopyFile(fromFd, name, expected, toFd, toName, m_bNamedTemporary, m_copyProgress, arrived);
}
