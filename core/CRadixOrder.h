#pragma once

#include <cstdint>
#include <vector>

// A stable sort of a million small keys in a few linear passes: each entry
// is a key and the position it came from, sorted by key a byte at a time
// from the lowest, so that entries with equal keys keep the order of their
// positions. Bytes that are the same in every key cost no pass, so sizes and
// times (whose high bytes rarely differ) take four or five passes, folder
// and reason ranks two or three. 32-bit keys halve the memory moved, which
// is why both widths exist.
class CRadixOrder
{
public:
    struct Entry32
    {
        std::uint32_t key;
        std::uint32_t position;
    };
    struct Entry64
    {
        std::uint64_t key;
        std::uint32_t position;
    };

    // Sorts `entries` by key; equal keys stay in their present order.
    static void Sort(std::vector<Entry32> &entries);
    static void Sort(std::vector<Entry64> &entries);
};
