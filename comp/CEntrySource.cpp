#include "comp/CEntrySource.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

constexpr std::size_t kChunk = 1u << 20;

// One deflate state for every entry: setting it up costs more than storing a
// small file, and calls come one file at a time on one thread. Files too
// large for memory deflate at the fastest level: several times quicker on
// gigabytes, for a few percent of size.
z_stream *Deflater(bool large = false)
{
    static z_stream stream{};
    static bool ready = deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                                     Z_DEFAULT_STRATEGY) == Z_OK;
    if (!ready || deflateReset(&stream) != Z_OK)
        return nullptr;
    if (deflateParams(&stream, large ? Z_BEST_SPEED : Z_DEFAULT_COMPRESSION, Z_DEFAULT_STRATEGY) != Z_OK)
        return nullptr;
    return &stream;
}

// The entry name: the path below "/" without the leading slash, empty
// components dropped. A "." or ".." component would let an unpacker write
// outside its target folder, so such a path gets no name at all.
bool EntryName(const std::string &path, std::string &name)
{
    name.clear();
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t slash = path.find('/', pos);
        if (slash == std::string::npos)
            slash = path.size();
        const std::string part = path.substr(pos, slash - pos);
        pos = slash + 1;
        if (part.empty())
            continue;
        if (part == "." || part == "..")
            return false;
        if (!name.empty())
            name.push_back('/');
        name += part;
    }
    return !name.empty() && name.size() < ZipFormat::kMax16;
}

std::int64_t Nanoseconds(const struct timespec &t)
{
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

ssize_t ReadFull(int fd, char *buffer, std::size_t wanted)
{
    std::size_t got = 0;
    while (got < wanted) {
        const ssize_t n = ::read(fd, buffer + got, wanted - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += std::size_t(n);
    }
    return ssize_t(got);
}

} // namespace

CEntrySource::~CEntrySource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CEntrySource::Open(const char *path, const struct stat &excluded, const char *entryName)
{
    m_strPath = path ? path : "";
    if (!EntryName(entryName ? std::string(entryName) : m_strPath, m_info.name))
        return false;
    if (::lstat(path, &m_stat) != 0)
        return false;
    if (m_stat.st_dev == excluded.st_dev && m_stat.st_ino == excluded.st_ino)
        return false;
    m_info.mode = m_stat.st_mode;
    m_info.mtime = m_stat.st_mtim.tv_sec;
    m_info.atime = m_stat.st_atim.tv_sec;
    m_nExpected = std::uint64_t(m_stat.st_size);
    if (S_ISLNK(m_stat.st_mode)) {
        m_bLink = true;
        return true;
    }
    if (!S_ISREG(m_stat.st_mode))
        return false; // a pipe or a device would block or never end

    // Reading must not change the file, not even its access time, where the
    // system lets us say so (the owner or a privileged user).
    const int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    m_fd = ::open(path, flags | O_NOATIME);
    if (m_fd < 0 && errno == EPERM)
        m_fd = ::open(path, flags);
    if (m_fd < 0)
        return false;
    struct stat opened {};
    // Swapped between the look and the open: not the file we looked at.
    if (::fstat(m_fd, &opened) != 0 || opened.st_dev != m_stat.st_dev || opened.st_ino != m_stat.st_ino ||
        !S_ISREG(opened.st_mode))
        return false;
    m_stat = opened;
    m_nExpected = std::uint64_t(opened.st_size);
    return true;
}

std::uint64_t CEntrySource::StreamBound() const
{
    z_stream *stream = Deflater();
    if (!stream)
        return m_nExpected + m_nExpected / 100 + 4096;
    return std::uint64_t(deflateBound(stream, uLong(m_nExpected)));
}

void CEntrySource::CheckUnchanged(const struct stat &after, std::uint64_t bytesRead)
{
    if (after.st_size != m_stat.st_size || Nanoseconds(after.st_mtim) != Nanoseconds(m_stat.st_mtim) ||
        after.st_ino != m_stat.st_ino || bytesRead != m_nExpected)
        m_bChanged = true;
}

bool CEntrySource::ReadLink(std::string &data)
{
    // The link itself is stored: its target as the data, never what it
    // points to.
    data.assign(std::size_t(m_nExpected) + 1, '\0');
    const ssize_t n = ::readlink(m_strPath.c_str(), data.data(), data.size());
    if (n < 0)
        return false;
    data.resize(std::size_t(n));
    struct stat after {};
    if (::lstat(m_strPath.c_str(), &after) != 0 || !S_ISLNK(after.st_mode))
        m_bChanged = true;
    else
        CheckUnchanged(after, std::uint64_t(n));
    m_info.method = ZipFormat::kMethodStored;
    m_info.size = m_info.compressedSize = data.size();
    m_info.crc = std::uint32_t(crc32(0, reinterpret_cast<const Bytef *>(data.data()), uInt(data.size())));
    return true;
}

bool CEntrySource::ReadIntoMemory(std::string &data)
{
    if (m_bLink)
        return ReadLink(data);
    if (m_fd < 0)
        return false;
    // One byte more than the size tells a file that grew meanwhile.
    static std::vector<char> raw;
    raw.resize(std::size_t(m_nExpected) + 1);
    const ssize_t got = ReadFull(m_fd, raw.data(), raw.size());
    if (got < 0)
        return false;
    struct stat after {};
    if (::fstat(m_fd, &after) != 0)
        return false;
    CheckUnchanged(after, std::uint64_t(got));
    const std::size_t size = std::min<std::size_t>(std::size_t(got), std::size_t(m_nExpected));

    m_info.size = size;
    m_info.crc = std::uint32_t(crc32(0, reinterpret_cast<const Bytef *>(raw.data()), uInt(size)));
    z_stream *stream = size > 0 ? Deflater() : nullptr;
    if (stream) {
        data.resize(deflateBound(stream, uLong(size)));
        stream->next_in = reinterpret_cast<Bytef *>(raw.data());
        stream->avail_in = uInt(size);
        stream->next_out = reinterpret_cast<Bytef *>(data.data());
        stream->avail_out = uInt(data.size());
        if (deflate(stream, Z_FINISH) == Z_STREAM_END && stream->total_out < size) {
            data.resize(stream->total_out);
            m_info.method = ZipFormat::kMethodDeflated;
            m_info.compressedSize = data.size();
            return true;
        }
    }
    // Deflate would not make it smaller: stored as it is.
    data.assign(raw.data(), size);
    m_info.method = ZipFormat::kMethodStored;
    m_info.compressedSize = size;
    return true;
}

bool CEntrySource::Stream(const std::function<bool(const char *, std::size_t)> &sink)
{
    if (m_bLink) {
        std::string data;
        return ReadLink(data) && sink(data.data(), data.size());
    }
    z_stream *stream = Deflater(true);
    if (m_fd < 0 || !stream)
        return false;
    std::vector<char> in(kChunk), out(kChunk);
    std::uint64_t done = 0;
    std::uint32_t crc = 0;
    bool finished = false;
    while (!finished) {
        // Never more than the size the file had: the bound planned for the
        // entry holds, and a file that grows is noticed, not followed.
        const std::size_t wanted = std::size_t(std::min<std::uint64_t>(kChunk, m_nExpected - done));
        const ssize_t got = wanted > 0 ? ReadFull(m_fd, in.data(), wanted) : 0;
        if (got < 0)
            return false;
        done += std::uint64_t(got);
        crc = std::uint32_t(crc32(crc, reinterpret_cast<const Bytef *>(in.data()), uInt(got)));
        const bool last = got == 0 || done == m_nExpected;
        stream->next_in = reinterpret_cast<Bytef *>(in.data());
        stream->avail_in = uInt(got);
        do {
            stream->next_out = reinterpret_cast<Bytef *>(out.data());
            stream->avail_out = uInt(out.size());
            const int rc = deflate(stream, last ? Z_FINISH : Z_NO_FLUSH);
            if (rc == Z_STREAM_ERROR)
                return false;
            const std::size_t produced = out.size() - stream->avail_out;
            if (produced > 0 && !sink(out.data(), produced))
                return false;
            if (rc == Z_STREAM_END)
                finished = true;
        } while (stream->avail_out == 0 || (last && !finished));
    }
    char probe = 0;
    const ssize_t extra = ReadFull(m_fd, &probe, 1);
    struct stat after {};
    if (::fstat(m_fd, &after) != 0)
        return false;
    CheckUnchanged(after, done + std::uint64_t(extra > 0 ? extra : 0));
    m_info.method = ZipFormat::kMethodDeflated;
    m_info.size = done;
    m_info.compressedSize = stream->total_out;
    m_info.crc = crc;
    return true;
}

bool CEntrySource::ComputeCrc(std::uint32_t &crc) const
{
    if (m_bLink || m_fd < 0)
        return false;
    std::vector<char> buffer(kChunk);
    std::uint32_t sum = 0;
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(m_fd, buffer.data(), buffer.size(), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        sum = std::uint32_t(crc32(sum, reinterpret_cast<const Bytef *>(buffer.data()), uInt(got)));
        offset += got;
    }
    crc = sum;
    return true;
}
