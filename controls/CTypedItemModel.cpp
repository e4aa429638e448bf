#include "controls/CTypedItemModel.h"

#include "core/CListSorter.h"

#include <QSignalBlocker>

namespace {

// Holds the new position of each row while the base class sorts by it; set
// just before the sort and cleared right after.
constexpr int kRankRole = Qt::UserRole + 0x5E7A;

} // namespace

CTypedItemModel::CTypedItemModel(int nRows, int nColumns, QObject *parent)
    : QStandardItemModel(nRows, nColumns, parent)
{
}

void CTypedItemModel::SetColumnType(int nColumn, int nType)
{
    if (nColumn < 0)
        return;
    if (nColumn >= m_arrColumnTypes.size())
        m_arrColumnTypes.resize(nColumn + 1, 0);
    m_arrColumnTypes[nColumn] = nType;
}

int CTypedItemModel::GetColumnType(int nColumn) const
{
    return nColumn >= 0 && nColumn < m_arrColumnTypes.size() ? m_arrColumnTypes.at(nColumn) : 0;
}

void CTypedItemModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnCount())
        return;
    const std::vector<int> ranks =
        CListSorter(this, column).Sort(order == Qt::AscendingOrder, GetColumnType(column));
    bool bMoves = false;
    for (size_t k = 0; k < ranks.size() && !bMoves; ++k)
        bMoves = ranks[k] != static_cast<int>(k);
    if (!bMoves)
        return;
    // The base class moves the rows itself, so persistent indexes follow
    // them; it is handed the computed order as a hidden rank to sort by.
    {
        // The rank is bookkeeping, not content: views need not hear of it.
        const QSignalBlocker blocker(this);
        for (size_t k = 0; k < ranks.size(); ++k) {
            QStandardItem *cell = item(ranks[k], column);
            if (!cell) {
                cell = new QStandardItem;
                setItem(ranks[k], column, cell);
            }
            cell->setData(static_cast<int>(k), kRankRole);
        }
    }
    const int oldRole = sortRole();
    setSortRole(kRankRole);
    QStandardItemModel::sort(column, Qt::AscendingOrder);
    setSortRole(oldRole);
    const QSignalBlocker blocker(this);
    for (int row = 0; row < rowCount(); ++row) {
        if (QStandardItem *cell = item(row, column))
            cell->setData(QVariant(), kRankRole);
    }
}
