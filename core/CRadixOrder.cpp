#include "core/CRadixOrder.h"

#include <array>
#include <cstddef>

namespace {

template <typename Entry>
void RadixSort(std::vector<Entry> &entries)
{
    using Key = decltype(Entry::key);
    const std::size_t count = entries.size();
    if (count < 2)
        return;
    // Every byte's histogram in one pass; a byte that never differs is skipped.
    constexpr int kBytes = int(sizeof(Key));
    std::vector<std::array<std::uint32_t, 256>> counts(kBytes);
    for (auto &histogram : counts)
        histogram.fill(0);
    Key any = 0;
    Key all = Key(~Key(0));
    for (const Entry &e : entries) {
        any |= e.key;
        all &= e.key;
        for (int b = 0; b < kBytes; ++b)
            ++counts[std::size_t(b)][(e.key >> (8 * b)) & 0xFF];
    }
    const Key varies = any ^ all;
    std::vector<Entry> other;
    for (int b = 0; b < kBytes; ++b) {
        if (((varies >> (8 * b)) & 0xFF) == 0)
            continue;
        if (other.empty())
            other.resize(count);
        std::array<std::uint32_t, 256> &histogram = counts[std::size_t(b)];
        std::uint32_t sum = 0;
        for (std::uint32_t &slot : histogram) {
            const std::uint32_t n = slot;
            slot = sum;
            sum += n;
        }
        const int shift = 8 * b;
        for (const Entry &e : entries)
            other[histogram[(e.key >> shift) & 0xFF]++] = e;
        entries.swap(other);
    }
}

} // namespace

void CRadixOrder::Sort(std::vector<Entry32> &entries)
{
    RadixSort(entries);
}

void CRadixOrder::Sort(std::vector<Entry64> &entries)
{
    RadixSort(entries);
}
