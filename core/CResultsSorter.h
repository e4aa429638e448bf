#pragma once

#include "core/CResultStore.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Orders the rows of the results list by one column. Each file's key is worked
// out once per sort from the stored values, not from the shown text: sizes by
// bytes, dates by their time value, names and folders case-insensitively.
// Rows with equal keys keep the order they had, in both directions. Keys are
// small numbers (a value, a rank, the first bytes of a name) sorted by radix
// in place, so a million rows sort in a few tens of milliseconds by any
// column but the name; names that share their first eight bytes are keyed
// again by the next eight, which takes a million names some tenths of a
// second (why a long list sorts on a thread of its own, CBackgroundSort).
//
// The values and ranks that come from the files' records are taken when the
// sorter is made, on the caller's thread; Sort then reads only those, the
// names and the folder tree. Checks, unlisting and relisting never touch
// the latter, so Sort may run on another thread while the list is in use,
// as long as no file is added and the store is not cleared meanwhile.
class CResultsSorter
{
public:
    CResultsSorter(const CResultStore &store, int column);

    // `rows` holds the file index of each row; returns them in the new order,
    // in the memory `rows` came in (a long list is then held twice, not
    // three times). Once `cancel` turns true Sort gives up soon and returns
    // nothing.
    std::vector<int> Sort(std::vector<int> rows, bool ascending, const std::atomic<bool> *cancel = nullptr) const;

    // Case-insensitive sort key of raw name bytes, compared bytewise.
    static void AppendFoldedKey(std::string_view raw, std::string &key);

private:
    // Eight bytes of the name's sort key from `offset`, big end first.
    static std::uint64_t NameChunk(std::string_view raw, std::size_t offset, std::string &scratch);
    std::vector<std::uint32_t> FolderRanks() const;
    std::vector<std::uint32_t> ReasonRanks() const;
    std::vector<int> SortByName(std::vector<int> rows, bool ascending, const std::atomic<bool> *cancel) const;
    template <typename RankOf>
    static std::vector<int> SortByRank(std::vector<int> rows, bool ascending, RankOf rankOf);
    template <typename ValueOf>
    static std::vector<int> SortByValue(std::vector<int> rows, bool ascending, ValueOf valueOf);
    // Puts `rows` in the order of `entries` (sorted, each holding the row
    // it came from), through the entries' own memory.
    template <typename Entry>
    static void TakeOrder(std::vector<Entry> &entries, std::vector<int> &rows);

    const CResultStore &m_store;
    int m_column;
    int m_nCount;                          // files in the store when the sorter was made
    std::vector<std::uint32_t> m_ranks;    // by file: rank of its reason, or distance of its value from the lowest
    std::vector<std::int64_t> m_values;    // by file: size or shown time, where the distances take more than 32 bits
};
