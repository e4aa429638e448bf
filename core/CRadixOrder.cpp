#include "core/CRadixOrder.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Below this many entries a comparison sort is quicker than one more split.
constexpr std::ptrdiff_t kSmallRange = 48;

template <typename Entry>
bool Before(const Entry &a, const Entry &b)
{
    return a.key != b.key ? a.key < b.key : a.position < b.position;
}

// Byte `level` of the entry's key followed by its position, highest first.
template <typename Entry>
std::size_t Digit(const Entry &e, int level)
{
    constexpr int kKeyBytes = int(sizeof(e.key));
    if (level < kKeyBytes)
        return std::size_t(e.key >> (8 * (kKeyBytes - 1 - level))) & 0xFF;
    return std::size_t(e.position >> (8 * (kKeyBytes + 3 - level))) & 0xFF;
}

template <typename Entry>
void RadixSort(Entry *first, Entry *last)
{
    constexpr int kLevels = int(sizeof(Entry::key)) + 4;
    struct Range
    {
        Entry *first;
        Entry *last;
        int level;
    };
    // Ranges wait on a list rather than on the call stack.
    std::vector<Range> pending{{first, last, 0}};
    std::array<std::size_t, 256> counts{};
    while (!pending.empty()) {
        Range range = pending.back();
        pending.pop_back();
        if (range.last - range.first <= kSmallRange) {
            std::sort(range.first, range.last, Before<Entry>);
            continue;
        }
        // A byte every entry of the range shares costs a count, no move.
        const std::size_t all = std::size_t(range.last - range.first);
        bool same = false;
        for (;; ++range.level) {
            counts.fill(0);
            for (const Entry *e = range.first; e != range.last; ++e)
                ++counts[Digit(*e, range.level)];
            if (counts[Digit(*range.first, range.level)] != all)
                break;
            if (range.level + 1 == kLevels) {
                same = true; // one key and one position throughout: nothing to order
                break;
            }
        }
        if (same)
            continue;
        std::array<Entry *, 256> begin{};
        std::array<Entry *, 256> end{};
        Entry *at = range.first;
        for (std::size_t b = 0; b < 256; ++b) {
            begin[b] = at;
            at += counts[b];
            end[b] = at;
        }
        // Each entry is swapped straight to the next free place of its part.
        std::array<Entry *, 256> next = begin;
        for (std::size_t b = 0; b < 256; ++b) {
            while (next[b] != end[b]) {
                Entry entry = *next[b];
                std::size_t home = Digit(entry, range.level);
                while (home != b) {
                    std::swap(entry, *next[home]++);
                    home = Digit(entry, range.level);
                }
                *next[b]++ = entry;
            }
        }
        // Positions differ, so the last level leaves parts of one entry.
        for (std::size_t b = 0; b < 256 && range.level + 1 < kLevels; ++b) {
            if (end[b] - begin[b] > 1)
                pending.push_back(Range{begin[b], end[b], range.level + 1});
        }
    }
}

} // namespace

void CRadixOrder::Sort(Entry32 *first, Entry32 *last)
{
    RadixSort(first, last);
}

void CRadixOrder::Sort(Entry64 *first, Entry64 *last)
{
    RadixSort(first, last);
}
