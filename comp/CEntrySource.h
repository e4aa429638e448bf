#pragma once

#include "comp/ZipFormat.h"

#include <cstdint>
#include <functional>
#include <string>
#include <sys/stat.h>

// One file to be stored: what it is (regular file or symbolic link, never
// followed), its entry name and times, and its bytes, deflated. Files up to
// kMemoryLimit are read and deflated into memory, so that their entry size is
// known before anything is written; larger ones are streamed to a sink.
// Whether the file changed while it was read (its size or modification time
// differ before and after, or it gave more or fewer bytes than its size) is
// kept for the caller.
class CEntrySource
{
public:
    static constexpr std::uint64_t kMemoryLimit = 16u << 20;

    CEntrySource() = default;
    ~CEntrySource();
    CEntrySource(const CEntrySource &) = delete;
    CEntrySource &operator=(const CEntrySource &) = delete;

    // Looks at `path` and opens it for reading. Fails for anything that is
    // not a regular file or a link, for a path whose name would climb out of
    // its folder (".." components), and for the file `excluded` (the archive
    // itself, by device and inode). The entry is named `entryName` when
    // given (under the same rules), else after the path.
    bool Open(const char *path, const struct stat &excluded, const char *entryName = nullptr);

    const ZipFormat::EntryInfo &Info() const { return m_info; }
    ZipFormat::EntryInfo &Info() { return m_info; }
    // The size the file had when it was opened.
    std::uint64_t ExpectedSize() const { return m_nExpected; }
    bool FitsInMemory() const { return m_nExpected <= kMemoryLimit; }
    // The most the streamed entry data can take, header excluded.
    std::uint64_t StreamBound() const;

    // Reads and deflates the whole file into `data` (stored as is when
    // deflating would not make it smaller); fills method, sizes and CRC.
    bool ReadIntoMemory(std::string &data);
    // Reads and deflates the file in pieces handed to `sink`, which returns
    // false to stop; fills method, sizes and CRC.
    bool Stream(const std::function<bool(const char *, std::size_t)> &sink);

    bool Changed() const { return m_bChanged; }

    // The CRC of a regular file's bytes, read without moving the position
    // its data is read from. Links fit in memory and get theirs there.
    bool ComputeCrc(std::uint32_t &crc) const;

private:
    bool ReadLink(std::string &data);
    void CheckUnchanged(const struct stat &after, std::uint64_t bytesRead);

    int m_fd = -1;
    std::string m_strPath;
    struct stat m_stat {};
    std::uint64_t m_nExpected = 0;
    bool m_bLink = false;
    bool m_bChanged = false;
    ZipFormat::EntryInfo m_info;
};
