#pragma once

#include <QStandardItemModel>
#include <QVector>

// A list of plain items that sorts itself by the texts it shows, each column
// compared by its type (see CListSorter): for lists whose rows have no key
// other than their text, such as the failed-files list. Lists with real keys
// have models of their own that sort on those keys.
class CTypedItemModel : public QStandardItemModel
{
    Q_OBJECT

public:
    CTypedItemModel(int nRows, int nColumns, QObject *parent = nullptr);

    // The comparison of `nColumn` (CListSorter::ColumnType); columns never
    // set are 0, which leaves the order alone.
    void SetColumnType(int nColumn, int nType);
    int GetColumnType(int nColumn) const;

    // Stable, and the rows move whole: selection, check states and item data
    // follow their rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    QVector<int> m_arrColumnTypes;
};
