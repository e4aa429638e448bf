#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A set of paths kept compactly for lookups by the hundred thousand: the path
// bytes end to end in one buffer, and an open-addressed table of 64-bit
// hashes pointing into it. A lookup compares the path itself only when the
// hash matches, so a hit is never a guess.
class CPathHashSet
{
public:
    // Makes room for `count` paths totalling `bytes` bytes.
    void Reserve(std::size_t count, std::size_t bytes);
    // Adds a path; returns whether it was new. Paths beyond 4 GB of text in
    // all are refused.
    bool Insert(const char *path, std::size_t length);
    bool Contains(const char *path, std::size_t length) const;
    bool Contains(const std::string &path) const { return Contains(path.data(), path.size()); }

    std::size_t GetCount() const { return m_nCount; }
    // Bytes held by the table and the text.
    std::size_t GetMemoryBytes() const;
    void Clear();

    static std::uint64_t Hash(const char *data, std::size_t length);

private:
    struct Slot
    {
        std::uint64_t hash = 0; // 0: empty
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };

    std::size_t FindSlot(std::uint64_t hash, const char *path, std::size_t length) const;
    void Grow();

    std::vector<Slot> m_slots; // a power of two long, at most half full
    std::string m_text;
    std::size_t m_nCount = 0;
};
