#pragma once

#include "core/CResultStore.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Orders the rows of the results list by one column. Each file's key is worked
// out once per sort from the stored values, not from the shown text: sizes by
// bytes, dates by their time value, names and folders case-insensitively.
// Rows with equal keys keep the order they had, in both directions. Keys are
// small numbers (a value, a rank, the first bytes of a name) sorted in a few
// linear passes, so a million rows sort well within a tenth of a second;
// only names that share their first eight bytes are compared further.
class CResultsSorter
{
public:
    CResultsSorter(const CResultStore &store, int column);

    // `rows` holds the file index of each row; returns them in the new order.
    std::vector<int> Sort(const std::vector<int> &rows, bool ascending) const;

    // Case-insensitive sort key of raw name bytes, compared bytewise.
    static void AppendFoldedKey(std::string_view raw, std::string &key);

private:
    // Eight bytes of the name's sort key from `offset`, big end first.
    static std::uint64_t NameChunk(std::string_view raw, std::size_t offset, std::string &scratch);
    std::vector<std::uint32_t> FolderRanks() const;
    std::vector<std::uint32_t> ReasonRanks() const;
    std::vector<int> SortByName(const std::vector<int> &rows, bool ascending) const;
    template <typename RankOf>
    static std::vector<int> SortByRank(const std::vector<int> &rows, bool ascending, RankOf rankOf);
    template <typename ValueOf>
    static std::vector<int> SortByValue(const std::vector<int> &rows, bool ascending, ValueOf valueOf);

    const CResultStore &m_store;
    int m_column;
};
