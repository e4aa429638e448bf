#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// An append-only array kept in fixed-size chunks. A million entries grow
// without ever copying what is already there: a growing std::vector holds
// the old and the new block at once and keeps up to half of the new one
// unused, which at this size is tens of megabytes of peak memory. Entries
// never move, so a reference stays valid until Clear().
template <typename T, int kShift = 14>
class CChunkedArray
{
public:
    static constexpr std::size_t kChunk = std::size_t(1) << kShift;

    std::size_t size() const { return m_nSize; }
    bool empty() const { return m_nSize == 0; }

    T &operator[](std::size_t i) { return m_chunks[i >> kShift][i & (kChunk - 1)]; }
    const T &operator[](std::size_t i) const { return m_chunks[i >> kShift][i & (kChunk - 1)]; }
    T &back() { return (*this)[m_nSize - 1]; }

    T &push_back(const T &value)
    {
        if ((m_nSize & (kChunk - 1)) == 0 && (m_nSize >> kShift) == m_chunks.size())
            m_chunks.push_back(std::make_unique<T[]>(kChunk));
        T &slot = (*this)[m_nSize++];
        slot = value;
        return slot;
    }

    // Forgets every entry and gives the memory back.
    void clear()
    {
        std::vector<std::unique_ptr<T[]>>().swap(m_chunks);
        m_nSize = 0;
    }

    // Bytes held, chunks and their table.
    std::size_t GetMemoryBytes() const
    {
        return m_chunks.size() * (kChunk * sizeof(T) + sizeof(std::unique_ptr<T[]>));
    }

private:
    std::vector<std::unique_ptr<T[]>> m_chunks;
    std::size_t m_nSize = 0;
};
