#pragma once

#include "comp/ZipFormat.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <sys/stat.h>

// A zip archive being added to, call after call, so that the file on disk
// is a complete archive whenever a call has returned.
//
// Layout: [entries][free space][central directory][end records]. The central
// directory is kept in memory as well; adding an entry writes the entry into
// the free space (which holds no live byte) and then, in one write at the end
// of the directory, the entry's record and new end records over the old ones.
// Until that last write the old end records describe the old archive, which is
// untouched. When the entry does not fit, the directory is first copied to the
// end of the file with new end records (the old archive again, complete), and
// the space it held joins the free space. A copy frees at least as much room
// as it writes, so the copies cost no more than the entries that fill that
// room, and what is left unused in the end is about one directory's size.
//
// Files too large for memory are streamed: the directory is first copied past
// the largest the entry can become (a hole, no disk used), the entry is
// written before it, the directory with the new record is written right after
// the entry, and the file is cut after it, which is the moment the new
// archive replaces the old.
//
// A new archive is written as an unnamed file in the archive's folder and
// linked in under its name when complete (never over a file that appeared
// meanwhile); where the file system cannot make unnamed files, under a
// temporary name beside the path that is renamed into place.
//
// What this gives: a process that dies between calls, or anywhere inside a
// call except within one of the writes that end a step (each a single system
// call of a few bytes, or a directory copy), leaves a valid archive holding
// every entry of the calls that returned. Data reaches the disk itself at
// most a second late (fdatasync at most once a second; flushing after every
// file would cost more than the file), so a power failure can lose the last
// second of entries.
class CZipArchive
{
public:
    // What is known of an archive between calls, so that the next call does
    // not read its directory again while the file is as this call left it.
    struct State
    {
        bool valid = false;
        std::string path;
        dev_t device = 0;
        ino_t inode = 0;
        off_t fileSize = 0;
        struct timespec modified {};

        std::string directory;      // the central directory records
        std::uint64_t count = 0;
        std::uint64_t cdOffset = 0;
        std::string comment;
        std::uint64_t fileEnd = 0;
        std::uint64_t freeStart = 0; // free space [freeStart, freeEnd), before cdOffset
        std::uint64_t freeEnd = 0;
    };

    CZipArchive() = default;
    ~CZipArchive();
    CZipArchive(const CZipArchive &) = delete;
    CZipArchive &operator=(const CZipArchive &) = delete;

    // Opens the archive at `path` to add to it, or starts a new one there
    // when nothing is there. Fails, touching nothing, for anything at the
    // path that is not a zip archive this class can extend. `cache` is taken
    // when it still describes the file.
    bool Open(const std::string &path, State &cache);
    // After a failed Open: what stands at the path is not a zip archive this
    // class can extend (a file read whole that is no archive, a pipe, a
    // device, a link, a folder), as opposed to one that could not be read.
    bool IsForeign() const { return m_bForeign; }

    // Device and inode of the file being written, which is never stored.
    const struct stat &FileStat() const { return m_stat; }
    // The central directory records as they stand, the added ones included.
    const std::string &Directory() const { return m_state.directory; }
    // Whether Open took the cache: the file is as the last call left it.
    bool IsFromCache() const { return m_bFromCache; }

    // Adds an entry whose data (already deflated or stored) is in memory.
    bool AddFromMemory(ZipFormat::EntryInfo &info, const std::string &data);
    // Adds an entry whose data `produce` hands to a sink piece by piece, at
    // most `bound` bytes; `produce` fills the sizes and CRC of `info`.
    bool AddStreamed(ZipFormat::EntryInfo &info, std::uint64_t bound,
                     const std::function<bool(const std::function<bool(const char *, std::size_t)> &)> &produce);

    // Ends the call: puts a new archive in place (when it has entries),
    // flushes now and then, and hands the state back to `cache`. False when
    // a new archive could not be put in place, its entries being lost.
    bool Finish(State &cache);

private:
    bool Parse();
    bool ReadAt(std::uint64_t offset, void *buffer, std::size_t size) const;
    bool WriteAt(std::uint64_t offset, const char *data, std::size_t size);
    // Writes the directory (and `record`, when given) with end records at
    // `offset`, then cuts the file there when `cut` is set.
    bool WriteDirectory(std::uint64_t offset, const std::string &record, std::uint64_t count, bool cut);
    // Makes the free space at least `size` bytes by moving the directory.
    bool MakeRoom(std::uint64_t size);
    // Around a write that rewrites the archive's end or writes past it:
    // saves how the archive ends now, so that a process killed in the
    // middle leaves it to be put back (see ArchiveTail); then drops it.
    void GuardEnd();
    void EndGuarded();

    int m_fd = -1;
    bool m_bNew = false;
    bool m_bBroken = false; // a write failed halfway: the state is not trusted
    bool m_bFromCache = false;
    bool m_bForeign = false;
    bool m_bEndGuarded = false;
    std::string m_strTemp;
    struct stat m_stat {};
    State m_state;
};
