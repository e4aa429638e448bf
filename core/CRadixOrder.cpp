#include "core/CRadixOrder.h"

#include <array>
#include <cstddef>

namespace {

// Digits of 11 bits: six passes for 64-bit keys, three for 32-bit ones,
// with counters that stay in the first-level cache.
constexpr int kDigitBits = 11;
constexpr std::uint32_t kDigitMask = (1u << kDigitBits) - 1;

template <typename Entry>
void RadixSort(std::vector<Entry> &entries)
{
    using Key = decltype(Entry::key);
    const std::size_t count = entries.size();
    if (count < 2)
        return;
    // Every digit's histogram in one pass; a digit that never differs is skipped.
    constexpr int kDigits = (int(sizeof(Key)) * 8 + kDigitBits - 1) / kDigitBits;
    std::vector<std::array<std::uint32_t, kDigitMask + 1>> counts(kDigits);
    for (auto &histogram : counts)
        histogram.fill(0);
    Key any = 0;
    Key all = Key(~Key(0));
    for (const Entry &e : entries) {
        any |= e.key;
        all &= e.key;
        for (int d = 0; d < kDigits; ++d)
            ++counts[std::size_t(d)][(e.key >> (kDigitBits * d)) & kDigitMask];
    }
    const Key varies = any ^ all;
    std::vector<Entry> other;
    for (int d = 0; d < kDigits; ++d) {
        const int shift = kDigitBits * d;
        if (((varies >> shift) & kDigitMask) == 0)
            continue;
        if (other.empty())
            other.resize(count);
        auto &histogram = counts[std::size_t(d)];
        std::uint32_t sum = 0;
        for (std::uint32_t &slot : histogram) {
            const std::uint32_t n = slot;
            slot = sum;
            sum += n;
        }
        for (const Entry &e : entries)
            other[histogram[(e.key >> shift) & kDigitMask]++] = e;
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
