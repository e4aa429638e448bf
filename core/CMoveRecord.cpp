#include "core/CMoveRecord.h"

#include <QSet>
#include <algorithm>

CMoveRecord::CMoveRecord(const QByteArray &driveRoot, const QByteArray &destination, bool preservePath)
    : m_strDriveRoot(driveRoot), m_strDestination(destination), m_bPreservePath(preservePath)
{
}

void CMoveRecord::AddMoved(const Entry &entry)
{
    if (entry.item < 0)
        return;
    if (std::size_t(entry.item) >= m_entryOfItem.size())
        m_entryOfItem.resize(std::size_t(entry.item) + 1, -1);
    m_entryOfItem[std::size_t(entry.item)] = int(m_entries.size());
    m_entries.push_back(entry);
}

void CMoveRecord::AddTrash(int item, TrashEntry trash)
{
    m_trash.insert(item, std::move(trash));
}

const CMoveRecord::TrashEntry *CMoveRecord::FindTrash(int item) const
{
    const auto it = m_trash.constFind(item);
    return it == m_trash.constEnd() ? nullptr : &*it;
}

void CMoveRecord::AddMadeFolders(const std::vector<CFolderMaker::MadeFolder> &made)
{
    m_madeFolders.insert(m_madeFolders.end(), made.begin(), made.end());
}

const CMoveRecord::Entry *CMoveRecord::Find(int item) const
{
    if (item < 0 || std::size_t(item) >= m_entryOfItem.size() || m_entryOfItem[std::size_t(item)] < 0)
        return nullptr;
    return &m_entries[std::size_t(m_entryOfItem[std::size_t(item)])];
}

void CMoveRecord::TakeRows(const std::vector<int> &rowItems)
{
    for (std::size_t row = 0; row < rowItems.size(); ++row) {
        const int item = rowItems[row];
        if (item >= 0 && std::size_t(item) < m_entryOfItem.size() && m_entryOfItem[std::size_t(item)] >= 0)
            m_entries[std::size_t(m_entryOfItem[std::size_t(item)])].row = int(row);
    }
}

void CMoveRecord::SetListAfter(int generation, int rowCount)
{
    m_nGenerationAfter = generation;
    m_nRowsAfter = rowCount;
}

std::vector<std::pair<int, int>> CMoveRecord::ReturnPositions(const std::vector<int> &returned) const
{
    std::vector<std::pair<int, int>> rows; // old row, item of every moved file
    rows.reserve(m_entries.size());
    for (const Entry &entry : m_entries) {
        if (entry.row < 0)
            return {};
        rows.emplace_back(entry.row, entry.item);
    }
    std::sort(rows.begin(), rows.end());
    const QSet<int> back(returned.begin(), returned.end());
    std::vector<std::pair<int, int>> positions;
    int away = 0; // moved files above this row that stay away
    for (const auto &[row, item] : rows) {
        if (back.contains(item))
            positions.emplace_back(row - away, item);
        else
            ++away;
    }
    return positions;
}
