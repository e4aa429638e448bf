#pragma once

#include <cstdint>
#include <vector>

// A stable sort of a million small keys in a few linear passes: each entry
// is a key and the position it came from, sorted by key a digit at a time
// from the lowest (11 bits at a time), so that entries with equal keys keep
// the order of their positions. Digits that are the same in every key cost
// no pass, so sizes, times and ranks take two or three passes, the first
// bytes of names six. 32-bit keys halve the memory moved, which
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
