#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// Append-only storage of many short byte strings (file names) in pages of a
// fixed size, so that tens of megabytes of names grow without the copy and
// the unused half a growing std::vector keeps. A string never straddles two
// pages: each is one view. Positions are offsets into a virtual space where
// page p covers [p * kPageSize, (p + 1) * kPageSize); a string longer than a
// page takes as many page numbers as it needs, in one block of its own.
class CBytePages
{
public:
    static constexpr int kPageShift = 20;
    static constexpr std::size_t kPageSize = std::size_t(1) << kPageShift;

    // Copies the bytes in; returns where they begin.
    std::uint64_t Append(const char *data, std::size_t length);
    // Where the next string goes if it fits in the current page, and how
    // many bytes still fit there.
    std::uint64_t GetEnd() const { return m_nEnd; }
    std::size_t GetRoom() const { return std::size_t(m_nLimit - m_nEnd); }
    // Makes sure the next `length` bytes go one after the other into the
    // current page, beginning a new one when it has less room.
    void Reserve(std::size_t length);
    std::string_view View(std::uint64_t begin, std::size_t length) const
    {
        if (length == 0)
            return {};
        return std::string_view(m_pages[begin >> kPageShift] + (begin & (kPageSize - 1)), length);
    }
    void Clear();
    std::size_t GetMemoryBytes() const { return m_nAllocated + m_pages.capacity() * sizeof(char *); }

private:
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::vector<char *> m_pages; // page number -> its first byte
    std::uint64_t m_nEnd = 0;    // where the next string goes
    std::uint64_t m_nLimit = 0;  // the end of the block it goes into
    std::size_t m_nAllocated = 0;
};
