#include "core/CPathHashSet.h"

#include <cstring>
#include <limits>

namespace {

constexpr std::uint64_t kMix = 0xc6a4a7935bd1e995ULL;

std::uint64_t Load64(const char *p)
{
    std::uint64_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

} // namespace

std::uint64_t CPathHashSet::Hash(const char *data, std::size_t length)
{
    // Murmur's 64-bit mix over whole words, then the tail.
    std::uint64_t h = 0x9e3779b97f4a7c15ULL ^ (length * kMix);
    const char *p = data;
    const char *end = data + (length & ~std::size_t(7));
    for (; p != end; p += 8) {
        std::uint64_t k = Load64(p);
        k *= kMix;
        k ^= k >> 47;
        k *= kMix;
        h ^= k;
        h *= kMix;
    }
    std::uint64_t tail = 0;
    const std::size_t rest = length & 7;
    if (rest) {
        std::memcpy(&tail, p, rest);
        h ^= tail;
        h *= kMix;
    }
    h ^= h >> 47;
    h *= kMix;
    h ^= h >> 47;
    return h ? h : 1;
}

void CPathHashSet::Reserve(std::size_t count, std::size_t bytes)
{
    m_text.reserve(bytes);
    std::size_t capacity = 16;
    while (capacity < count * 2)
        capacity *= 2;
    if (capacity <= m_slots.size())
        return;
    std::vector<Slot> old;
    old.swap(m_slots);
    m_slots.assign(capacity, Slot());
    for (const Slot &slot : old) {
        if (slot.hash == 0)
            continue;
        std::size_t i = std::size_t(slot.hash) & (m_slots.size() - 1);
        while (m_slots[i].hash != 0)
            i = (i + 1) & (m_slots.size() - 1);
        m_slots[i] = slot;
    }
}

void CPathHashSet::Grow()
{
    Reserve(m_slots.empty() ? 8 : m_slots.size(), m_text.size());
}

std::size_t CPathHashSet::FindSlot(std::uint64_t hash, const char *path, std::size_t length) const
{
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = std::size_t(hash) & mask;
    for (;;) {
        const Slot &slot = m_slots[i];
        if (slot.hash == 0)
            return i;
        if (slot.hash == hash && slot.length == length
            && std::memcmp(m_text.data() + slot.offset, path, length) == 0)
            return i;
        i = (i + 1) & mask;
    }
}

bool CPathHashSet::Insert(const char *path, std::size_t length)
{
    if (m_text.size() + length > std::numeric_limits<std::uint32_t>::max())
        return false;
    if ((m_nCount + 1) * 2 > m_slots.size())
        Grow();
    const std::uint64_t hash = Hash(path, length);
    Slot &slot = m_slots[FindSlot(hash, path, length)];
    if (slot.hash != 0)
        return false;
    slot.hash = hash;
    slot.offset = std::uint32_t(m_text.size());
    slot.length = std::uint32_t(length);
    m_text.append(path, length);
    ++m_nCount;
    return true;
}

bool CPathHashSet::Contains(const char *path, std::size_t length) const
{
    if (m_nCount == 0)
        return false;
    return m_slots[FindSlot(Hash(path, length), path, length)].hash != 0;
}

std::size_t CPathHashSet::GetMemoryBytes() const
{
    return m_slots.capacity() * sizeof(Slot) + m_text.capacity();
}

void CPathHashSet::Clear()
{
    std::vector<Slot>().swap(m_slots);
    std::string().swap(m_text);
    m_nCount = 0;
}
