#include "comp/CZipArchive.h"

#include "platform/ArchiveTail.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

using namespace ZipFormat;

namespace {

// A directory larger than this is not one this plug-in wrote or can hold.
constexpr std::uint64_t kMaxDirectory = std::uint64_t(1) << 30;

bool SameTime(const struct timespec &a, const struct timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Writes every piece at `offset` in as few system calls as the kernel lets
// us: normally one, so that the end records land together with what they
// describe.
bool WritePieces(int fd, std::uint64_t offset, std::vector<iovec> pieces)
{
    std::size_t first = 0;
    while (first < pieces.size()) {
        const int n = int(std::min<std::size_t>(pieces.size() - first, IOV_MAX));
        const ssize_t written = ::pwritev(fd, pieces.data() + first, n, off_t(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        offset += std::uint64_t(written);
        std::size_t left = std::size_t(written);
        while (first < pieces.size() && left >= pieces[first].iov_len) {
            left -= pieces[first].iov_len;
            ++first;
        }
        if (left > 0) {
            pieces[first].iov_base = static_cast<char *>(pieces[first].iov_base) + left;
            pieces[first].iov_len -= left;
        }
    }
    return true;
}

iovec Piece(const std::string &bytes)
{
    return iovec{const_cast<char *>(bytes.data()), bytes.size()};
}

std::string TemporaryName(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    unsigned char random[6] = {};
    if (::getrandom(random, sizeof random, 0) != ssize_t(sizeof random)) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        for (std::size_t i = 0; i < sizeof random; ++i)
            random[i] = static_cast<unsigned char>(now >> (8 * i));
    }
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%02x%02x%02x%02x%02x%02x", random[0], random[1], random[2], random[3],
                  random[4], random[5]);
    return folder + "/." + name + "." + suffix + ".part";
}

// Gives an unnamed file its name; never replaces anything there.
int LinkUnnamed(int fd, const std::string &path)
{
    if (::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0)
        return 0;
    if (errno != EPERM && errno != ENOENT)
        return -1;
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
}

} // namespace

CZipArchive::~CZipArchive()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_bNew && !m_strTemp.empty())
        ::unlink(m_strTemp.c_str());
}

bool CZipArchive::Open(const std::string &path, State &cache)
{
    m_state = State();
    m_state.path = path;
    // The archive path is the user's choice, but a link there is not
    // followed: what gets written is the file at the path, or nothing.
    m_fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0) {
        // A link, a folder or a socket holds the name: nothing to add to.
        m_bForeign = errno == ELOOP || errno == EISDIR || errno == ENXIO;
        if (errno != ENOENT || path.empty())
            return false;
        // A new archive has no name until it is complete: a process killed
        // while writing it leaves nothing behind.
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
        m_fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return false;
        // A file system without unnamed files: a temporary name beside the
        // archive, which the program's journal lets a later start remove.
        for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
            m_strTemp = TemporaryName(path);
            m_fd = ::open(m_strTemp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (m_fd < 0 && errno != EEXIST)
                break;
        }
        if (m_fd < 0) {
            m_strTemp.clear();
            return false;
        }
        m_bNew = true;
        m_state.valid = true;
        return ::fstat(m_fd, &m_stat) == 0;
    }
    if (::fstat(m_fd, &m_stat) != 0)
        return false;
    if (!S_ISREG(m_stat.st_mode)) {
        m_bForeign = true;
        return false;
    }
    // Another process adding to the same archive waits its turn.
    if (::flock(m_fd, LOCK_EX) != 0)
        return false;
    // A process killed while it extended the archive left its end saved.
    ArchiveTail::Restore(m_fd);
    if (::fstat(m_fd, &m_stat) != 0)
        return false;
    if (cache.valid && cache.path == path && cache.device == m_stat.st_dev && cache.inode == m_stat.st_ino &&
        cache.fileSize == m_stat.st_size && SameTime(cache.modified, m_stat.st_mtim)) {
        m_state = std::move(cache);
        cache.valid = false;
        m_bFromCache = true;
        return true;
    }
    cache.valid = false;
    // Parse sets errno only when a read failed; otherwise the file was read
    // and its bytes are not an archive.
    errno = 0;
    if (Parse())
        return true;
    m_bForeign = errno == 0;
    return false;
}

bool CZipArchive::ReadAt(std::uint64_t offset, void *buffer, std::size_t size) const
{
    auto *out = static_cast<char *>(buffer);
    while (size > 0) {
        const ssize_t n = ::pread(m_fd, out, size, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out += n;
        offset += std::uint64_t(n);
        size -= std::size_t(n);
    }
    return true;
}

bool CZipArchive::WriteAt(std::uint64_t offset, const char *data, std::size_t size)
{
    return WritePieces(m_fd, offset, {iovec{const_cast<char *>(data), size}});
}

bool CZipArchive::Parse()
{
    const std::uint64_t size = std::uint64_t(m_stat.st_size);
    if (size < kEndSize)
        return false;
    const std::size_t tailSize = std::size_t(std::min<std::uint64_t>(size, kMax16 + kEndSize));
    std::vector<unsigned char> tail(tailSize);
    if (!ReadAt(size - tailSize, tail.data(), tailSize))
        return false;
    // The end record is the last one whose comment reaches exactly to the
    // end of the file.
    std::size_t at = std::string::npos;
    for (std::size_t i = tailSize - kEndSize + 1; i-- > 0;) {
        if (Get32(&tail[i]) == kEndSignature && i + kEndSize + Get16(&tail[i + 20]) == tailSize) {
            at = i;
            break;
        }
    }
    if (at == std::string::npos)
        return false;
    const unsigned char *end = &tail[at];
    if (Get16(end + 4) != 0 || Get16(end + 6) != 0)
        return false; // split over several files
    const std::uint64_t endPos = size - tailSize + at;
    std::uint64_t count = Get16(end + 10);
    std::uint64_t cdSize = Get32(end + 12);
    std::uint64_t cdOffset = Get32(end + 16);
    std::uint64_t recordsStart = endPos;
    unsigned char locator[kZip64LocatorSize];
    if (endPos >= kZip64LocatorSize && ReadAt(endPos - kZip64LocatorSize, locator, sizeof locator) &&
        Get32(locator) == kZip64LocatorSignature) {
        const std::uint64_t zip64At = Get64(locator + 8);
        unsigned char zip64[kZip64EndSize];
        if (!ReadAt(zip64At, zip64, sizeof zip64) || Get32(zip64) != kZip64EndSignature ||
            zip64At + 12 + Get64(zip64 + 4) + kZip64LocatorSize != endPos)
            return false;
        count = Get64(zip64 + 32);
        cdSize = Get64(zip64 + 40);
        cdOffset = Get64(zip64 + 48);
        recordsStart = zip64At;
    }
    // Data before the archive or between its directory and its end records
    // would shift every offset: not an archive to write into.
    if (cdSize > kMaxDirectory || cdOffset + cdSize != recordsStart)
        return false;

    std::string directory(std::size_t(cdSize), '\0');
    if (cdSize > 0 && !ReadAt(cdOffset, directory.data(), directory.size()))
        return false;
    std::uint64_t records = 0;
    std::size_t pos = 0;
    const auto *bytes = reinterpret_cast<const unsigned char *>(directory.data());
    while (pos < directory.size()) {
        if (directory.size() - pos < kCentralFixedSize || Get32(bytes + pos) != kCentralSignature)
            return false;
        pos += kCentralFixedSize + Get16(bytes + pos + 28) + Get16(bytes + pos + 30) + Get16(bytes + pos + 32);
        ++records;
    }
    if (pos != directory.size() || records != count)
        return false;

    m_state.valid = true;
    m_state.directory = std::move(directory);
    m_state.count = count;
    m_state.cdOffset = cdOffset;
    m_state.comment.assign(reinterpret_cast<const char *>(end + kEndSize), tailSize - at - kEndSize);
    m_state.fileEnd = size;
    m_state.freeStart = m_state.freeEnd = cdOffset;
    return true;
}

bool CZipArchive::WriteDirectory(std::uint64_t offset, const std::string &record, std::uint64_t count, bool cut)
{
    const std::string end =
        EndRecords(count, offset, m_state.directory.size() + record.size(), m_state.comment);
    if (!WritePieces(m_fd, offset, {Piece(m_state.directory), Piece(record), Piece(end)}))
        return false;
    const std::uint64_t fileEnd = offset + m_state.directory.size() + record.size() + end.size();
    if (cut && ::ftruncate(m_fd, off_t(fileEnd)) != 0)
        return false;
    m_state.fileEnd = cut ? fileEnd : std::max(m_state.fileEnd, fileEnd);
    return true;
}

void CZipArchive::GuardEnd()
{
    // A new archive has no name yet: a killed process leaves nothing to mend.
    const State &s = m_state;
    if (m_bNew || m_bBroken)
        return;
    const std::string end = EndRecords(s.count, s.cdOffset, s.directory.size(), s.comment);
    const std::uint64_t length = s.cdOffset + s.directory.size() + end.size();
    if (length == s.fileEnd)
        m_bEndGuarded = ArchiveTail::Save(m_fd, length, end.data(), end.size());
}

void CZipArchive::EndGuarded()
{
    if (m_bEndGuarded)
        ArchiveTail::Drop(m_fd);
    m_bEndGuarded = false;
}

bool CZipArchive::MakeRoom(std::uint64_t size)
{
    State &s = m_state;
    if (s.freeEnd - s.freeStart >= size)
        return true;
    // Free space that ends where the directory starts grows by the
    // directory's own space once the directory has moved on.
    const std::uint64_t freeStart = s.freeEnd == s.cdOffset ? s.freeStart : s.cdOffset;
    const std::uint64_t cdOffset = std::max(s.fileEnd, freeStart + size);
    const std::uint64_t oldEnd = s.fileEnd;
    GuardEnd();
    if (!WriteDirectory(cdOffset, std::string(), s.count, false)) {
        // The old end records are still the file's last bytes once the
        // partial copy is cut away.
        if (::ftruncate(m_fd, off_t(oldEnd)) != 0)
            m_bBroken = true;
        s.fileEnd = oldEnd;
        if (!m_bBroken)
            EndGuarded();
        return false;
    }
    EndGuarded();
    s.cdOffset = cdOffset;
    s.freeStart = freeStart;
    s.freeEnd = cdOffset;
    return true;
}

bool CZipArchive::AddFromMemory(EntryInfo &info, const std::string &data)
{
    if (m_bBroken || m_fd < 0)
        return false;
    info.localZip64 = false;
    const std::string header = LocalHeader(info);
    const std::uint64_t size = header.size() + data.size();
    if (!MakeRoom(size))
        return false;
    State &s = m_state;
    info.localOffset = s.freeStart;
    if (!WritePieces(m_fd, s.freeStart, {Piece(header), Piece(data)})) {
        // Only free space was written; give back the blocks a partial write
        // took, since a full disk is the likely cause.
        ::fallocate(m_fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(s.freeStart), off_t(size));
        return false;
    }
    const std::string record = CentralRecord(info);
    // The one write that makes the entry part of the archive: its record
    // and the new end records, over the old end records.
    std::string commit = record;
    commit += EndRecords(s.count + 1, s.cdOffset, s.directory.size() + record.size(), s.comment);
    const std::uint64_t at = s.cdOffset + s.directory.size();
    GuardEnd();
    const std::uint64_t fileEnd = at + commit.size();
    if (!WriteAt(at, commit.data(), commit.size())
        || (fileEnd < s.fileEnd && ::ftruncate(m_fd, off_t(fileEnd)) != 0)) {
        // Half a commit (a full disk): the archive ends as it did before.
        if (m_bEndGuarded && ArchiveTail::Restore(m_fd) == 1)
            m_bEndGuarded = false;
        m_bBroken = true;
        return false;
    }
    s.fileEnd = fileEnd;
    s.directory += record;
    ++s.count;
    s.freeStart += size;
    EndGuarded();
    return true;
}

bool CZipArchive::AddStreamed(EntryInfo &info, std::uint64_t bound,
                              const std::function<bool(const std::function<bool(const char *, std::size_t)> &)> &produce)
{
    if (m_bBroken || m_fd < 0)
        return false;
    State &s = m_state;
    info.localZip64 = bound >= kMax32;
    const std::uint64_t headerSize = LocalHeaderSize(info);
    EntryInfo largest = info;
    largest.size = largest.compressedSize = largest.localOffset = ~std::uint64_t(0) >> 1;
    const std::uint64_t maxRecord = CentralRecord(largest).size();
    const std::uint64_t start = s.fileEnd;
    const std::uint64_t oldCd = s.cdOffset;

    // Out of the way of the largest the entry and its record can become.
    const std::uint64_t far = start + headerSize + bound + s.directory.size() + maxRecord + MaxEndRecordsSize(s.comment);
    GuardEnd();
    if (!WriteDirectory(far, std::string(), s.count, false)) {
        if (::ftruncate(m_fd, off_t(start)) != 0)
            m_bBroken = true;
        s.fileEnd = start;
        if (!m_bBroken)
            EndGuarded();
        return false;
    }
    EndGuarded();
    s.cdOffset = far;
    if (s.freeEnd == oldCd) {
        s.freeEnd = start;
    } else if (start - oldCd > s.freeEnd - s.freeStart) {
        s.freeStart = oldCd;
        s.freeEnd = start;
    }

    std::uint64_t written = 0;
    const auto sink = [&](const char *data, std::size_t size) {
        if (written + size > bound || !WriteAt(start + headerSize + written, data, size))
            return false;
        written += size;
        return true;
    };
    if (produce(sink)) {
        info.localOffset = start;
        const std::string header = LocalHeader(info);
        const std::string record = CentralRecord(info);
        const std::uint64_t cdOffset = start + headerSize + written;
        if (header.size() == headerSize && WriteAt(start, header.data(), header.size()) &&
            WriteDirectory(cdOffset, record, s.count + 1, true)) {
            s.directory += record;
            ++s.count;
            s.cdOffset = cdOffset;
            return true;
        }
    }
    // Back to the old archive, right where it was.
    if (WriteDirectory(start, std::string(), s.count, true))
        s.cdOffset = start;
    return false;
}

bool CZipArchive::Finish(State &cache)
{
    bool ok = !m_bBroken;
    if (m_bNew) {
        if (m_state.count == 0)
            return true; // nothing stored, no archive: the destructor removes the file
        ok = ok && ::fdatasync(m_fd) == 0;
        if (ok) {
            const std::string &path = m_state.path;
            int rc = m_strTemp.empty() ? LinkUnnamed(m_fd, path)
                                       : ::renameat2(AT_FDCWD, m_strTemp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE);
            if (rc != 0 && !m_strTemp.empty() && (errno == EINVAL || errno == ENOSYS)) {
                // A file system without no-replace renames: a hard link
                // never replaces either.
                rc = ::link(m_strTemp.c_str(), path.c_str());
                if (rc == 0)
                    ::unlink(m_strTemp.c_str());
            }
            ok = rc == 0;
        }
        if (!ok)
            return false;
        m_bNew = false;
        m_strTemp.clear();
    } else if (ok) {
        // Flushing after every file would cost more than the file itself;
        // once a second bounds what a power failure can take.
        static auto lastFlush = std::chrono::steady_clock::time_point();
        const auto now = std::chrono::steady_clock::now();
        if (now - lastFlush >= std::chrono::seconds(1)) {
            ::fdatasync(m_fd);
            lastFlush = now;
        }
    }
    struct stat now {};
    if (!ok || ::fstat(m_fd, &now) != 0) {
        cache.valid = false;
        return ok;
    }
    m_state.device = now.st_dev;
    m_state.inode = now.st_ino;
    m_state.fileSize = now.st_size;
    m_state.modified = now.st_mtim;
    cache = std::move(m_state);
    return true;
}
