#pragma once

#include "core/CResultStore.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Orders the rows of the results list by one column. Each file's key is worked
// out once per sort from the stored values, not from the shown text: sizes by
// bytes, dates by their time value, names and folders case-insensitively.
// Rows with equal keys keep the order they had, in both directions.
class CResultsSorter
{
public:
    CResultsSorter(const CResultStore &store, int column);

    // `rows` holds the file index of each row; returns them in the new order.
    std::vector<int> Sort(const std::vector<int> &rows, bool ascending) const;

    // Case-insensitive sort key of raw name bytes, compared bytewise.
    static void AppendFoldedKey(std::string_view raw, std::string &key);

private:
    std::vector<std::uint64_t> KeysOf(const std::vector<int> &rows) const;
    std::vector<std::uint64_t> FolderRanks() const;
    std::vector<std::uint64_t> ReasonRanks() const;
    std::vector<int> SortByName(const std::vector<int> &rows, bool ascending) const;

    const CResultStore &m_store;
    int m_column;
};
