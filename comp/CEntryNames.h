#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The names an archive already holds, read from its central directory, so
// that a file is never stored twice under one name: a name's entry with the
// same size and CRC already holds the file; an entry of that name with other
// content sends the file to the first free numbered name ("a (2).txt").
//
// The index refers to records by their offset in the directory text, which
// only ever grows at its end between calls on one archive, so each call reads
// only the records added since the last (Sync); another archive, or one
// changed behind our back, is read afresh after Reset. The directory given
// to the last Sync must outlive every Find and Place that follows it.
class CEntryNames
{
public:
    struct Stored
    {
        std::uint64_t size = 0;
        std::uint32_t crc = 0;
    };

    enum class Placement {
        New,           // the name is free: stored under it
        Renamed,       // stored under the numbered name now in `name`
        AlreadyStored, // an entry of the name (or a numbered one) holds these bytes
        NoName,        // no free numbered name within reason: not stored
    };

    void Reset();
    // Indexes the records of `directory` past those seen before.
    void Sync(const std::string &directory);

    bool Find(std::string_view name, Stored &stored) const;

    // Where a file of `size` bytes with entry name `name` goes. `crcOf`
    // yields the file's CRC (false when it cannot be read); it is asked only
    // when an entry of the same name and size is met.
    Placement Place(std::string &name, std::uint64_t size, const std::function<bool(std::uint32_t &)> &crcOf) const;

    // "dir/name (n).ext": the number before the last extension of the last
    // part; a leading dot does not start an extension.
    static std::string Numbered(const std::string &name, unsigned n);

private:
    std::string_view NameAt(std::uint64_t offset) const;
    void Insert(std::uint64_t offset, std::uint64_t hash);
    void Grow();

    const std::string *m_pDirectory = nullptr;
    std::uint64_t m_nParsed = 0;
    std::size_t m_nCount = 0;
    // Open addressing: record offset + 1 per slot, 0 for an empty one.
    std::vector<std::uint64_t> m_slots;
};
