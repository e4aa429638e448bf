#include "core/CBytePages.h"

#include <algorithm>
#include <cstring>

void CBytePages::Reserve(std::size_t length)
{
    if (GetRoom() >= length)
        return;
    const std::size_t pages = std::max<std::size_t>(1, (length + kPageSize - 1) / kPageSize);
    m_blocks.push_back(std::make_unique_for_overwrite<char[]>(pages * kPageSize));
    m_nAllocated += pages * kPageSize;
    m_nEnd = std::uint64_t(m_pages.size()) << kPageShift;
    for (std::size_t p = 0; p < pages; ++p)
        m_pages.push_back(m_blocks.back().get() + p * kPageSize);
    m_nLimit = std::uint64_t(m_pages.size()) << kPageShift;
}

std::uint64_t CBytePages::Append(const char *data, std::size_t length)
{
    if (length > GetRoom()) {
        // A new page (or, for a long string, a block of several), begun at
        // a page boundary so that a string is always in one piece.
        Reserve(length);
    }
    const std::uint64_t begin = m_nEnd;
    if (length > 0)
        std::memcpy(m_pages[begin >> kPageShift] + (begin & (kPageSize - 1)), data, length);
    m_nEnd += length;
    return begin;
}

void CBytePages::Clear()
{
    std::vector<std::unique_ptr<char[]>>().swap(m_blocks);
    std::vector<char *>().swap(m_pages);
    m_nEnd = 0;
    m_nLimit = 0;
    m_nAllocated = 0;
}
