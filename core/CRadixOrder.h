#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Orders a million small keys in a few linear passes, in place: each entry
// is a key and the position it came from, sorted by key and entries of
// equal key by position (so entries made in their present order keep it
// among equal keys, as a stable sort would). A range is split by the key's
// highest byte into 256, each part by the next byte, and so on; bytes the
// whole range shares cost a count but no move, small ranges are finished by
// comparison. No second buffer: the entries sort within their own memory.
class CRadixOrder
{
public:
#pragma pack(push, 4)
    struct Entry32
    {
        std::uint32_t key;
        std::uint32_t position;
    };
    // 12 bytes, not 16: a million of them are what a sort by name holds.
    struct Entry64
    {
        std::uint64_t key;
        std::uint32_t position;
    };
#pragma pack(pop)

    static void Sort(Entry32 *first, Entry32 *last);
    static void Sort(Entry64 *first, Entry64 *last);
    static void Sort(std::vector<Entry32> &entries) { Sort(entries.data(), entries.data() + entries.size()); }
    static void Sort(std::vector<Entry64> &entries) { Sort(entries.data(), entries.data() + entries.size()); }
};
