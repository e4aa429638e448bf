#pragma once

#include "core/CResultStore.h"
#include "core/ResultColumns.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class CBackgroundSort;

// The rows of the results list over a CResultStore. Each row shows one file
// through its index in the store (the row's item data, Qt::UserRole), so rows
// can be sorted and removed without touching the store's arrays. Column 0
// carries the file's check box; checking goes through the store, which keeps
// the selected totals exact.
class CResultsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Icon of a file (column kColumnFile) or of its folder (kColumnLocation);
    // supplied by the widget side, which caches icons per file type.
    using DecorationProvider = std::function<QVariant(int column, const CResultsModel &model, int item)>;

    explicit CResultsModel(QObject *parent = nullptr);
    ~CResultsModel() override;

    const CResultStore &GetStore() const { return m_store; }
    // The trash entries among the rows, filled by the scan (CTrashGrouper).
    CTrashItems &GetTrash() { return m_store.GetTrash(); }

    // Adds a found file as a checked row. Views hear of new rows only at
    // FlushPendingRows(), which the scan calls in its rhythm and once at its
    // end, so a million rows cost a few dozen announcements.
    // `bHeldOpen`: a running process holds the file (see CResultStore).
    int AddResult(const WalkRecord &record, const MatchReason &why, bool bHeldOpen = false);
    int AddResult(const WalkRecord &record, bool bHeldOpen = false);
    // Adds a found file as an unchecked row the user may check.
    int AddUncheckedResult(const WalkRecord &record, const MatchReason &why, bool bHeldOpen = false);
    // Adds a protected file as a locked row: unchecked, and it stays so.
    int AddLockedResult(const WalkRecord &record, ProtectionReason reason, bool bHeldOpen = false);
    void FlushPendingRows();
    int GetPendingCount() const { return int(m_store.GetCount()) - m_nAnnouncedItems; }

    // Removes every row and forgets every file.
    void Clear();

    // File index shown at `row`, -1 for a row that does not exist.
    int GetItem(int row) const;
    bool GetCheck(int row) const;
    bool IsLockedRow(int row) const;
    // Returns whether the check changed; emits checkChanged when it did.
    bool SetCheck(int row, bool checked);
    // Checks or unchecks every listed file whose reason is `reason` (a
    // CReasonTable id), locked files aside, as one change: the views hear
    // one dataChanged over the list's check boxes, the owner one checksChanged.
    // Returns how many files changed.
    int SetCheckByReason(int reason, bool checked);
    // The same for several reasons at once, still as one change.
    int SetCheckByReasons(const std::vector<int> &reasons, bool checked);
    // The same for any set of files (store indices, any order).
    int SetCheckItems(std::vector<int> items, bool checked);
    // Rows whose files are checked and not locked (what an action acts on),
    // in row order.
    std::vector<int> GetCheckedRows() const;
    // Calls visit(row, item) for each of those rows, in row order.
    template <typename Visit>
    void ForEachCheckedRow(Visit visit) const;

    // Removes the given rows (any order, duplicates allowed) in as few steps
    // as their layout allows; checked files leave the totals.
    void RemoveRowList(std::vector<int> rows);
    // The files at these store indices, whose rows an action removed, left
    // the drive (see CResultStore::RemoveLink).
    void RemoveLinks(const std::vector<int> &items);

    // A file whose row left the list, coming back (a Move undone).
    struct ReturningRow
    {
        int row;               // where it goes, -1 for where the sort puts it
        int item;              // its index in the store
        FileIdentity identity; // what the file now is at its listed path
    };
    // Lists the files again, checked. Rows with positions go there (given in
    // the list as it will be, ascending); the others go where the current
    // sort puts them, or at the end of an unsorted list.
    void ReturnRows(std::vector<ReturningRow> rows);
    // The file index of every row, in row order.
    const std::vector<int> &GetRowItems() const { return m_rows; }
    // Changes whenever rows are added, removed or reordered, so that a row
    // position kept from earlier can be known to still hold.
    int GetLayoutGeneration() const { return m_nLayoutGeneration; }

    void SetDecorationProvider(DecorationProvider provider) { m_decoration = std::move(provider); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    // Lists of at least SetBackgroundSortRows() rows sort on a thread of their
    // own: the rows keep their order, and can be scrolled, checked and acted
    // on, until the new order is ready and taken in one layout change (then
    // sortFinished). Rows removed or added meanwhile make it sort again.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    bool IsSorting() const { return m_pSortJob != nullptr || m_bSortWaits; }
    void SetBackgroundSortRows(int rows) { m_nBackgroundSortRows = rows; }

    // Text shown for a time value: the locale's short date.
    QString DateText(std::int64_t seconds) const;

signals:
    // A row's check box flipped (by a click or SetCheck); the totals already
    // include the change.
    void checkChanged(int row, bool checked);
    // Many checks changed at once (SetCheckByReason); the totals already
    // include them.
    void checksChanged();
    // The rows took the order of the last sort asked for.
    void sortFinished();

private:
    // Takes `sorted` (the rows' items in their new order) as the list's order.
    void ApplyOrder(std::vector<int> sorted);
    // Where the `persistent` indexes go when the rows take the order `sorted`:
    // each stays on its file.
    QModelIndexList FollowFiles(const QModelIndexList &persistent, const std::vector<int> &sorted) const;
    // Tells the views and the owner that `changed` checks changed at once.
    void AnnounceChecks(int changed);
    // A byte per file: checked and not locked (what an action acts on).
    std::vector<char> GetActedFiles() const;
    void StartBackgroundSort();
    void OnBackgroundSortDone(int job);
    // Before a file is added or the store cleared: the sorting thread reads
    // the names. A sort stopped here starts again when the new rows show.
    void StopBackgroundSort();
    QString DisplayText(int item, int column) const;
    // The raw name where the shown one has escapes, and why a locked file
    // cannot be checked; null when there is nothing to add.
    QVariant ToolTipText(int item, int column) const;

    CResultStore m_store;
    std::vector<int> m_rows; // row position -> file index
    int m_nAnnouncedItems = 0; // files of the store already shown as rows
    DecorationProvider m_decoration;
    QStringList m_columnTitles;
    mutable QHash<qint64, QString> m_dateTexts; // by day: formatting is the slow part
    int m_nLayoutGeneration = 0;
    int m_nSortColumn = -1; // the last sort asked for, -1 for none since the list was emptied
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    // Under this many rows every column sorts within a few milliseconds: at once.
    int m_nBackgroundSortRows = 50000;
    std::unique_ptr<CBackgroundSort> m_pSortJob; // after m_store: gone before it
    int m_nSortJob = 0;              // counts the sorts started, to know a late answer
    int m_nSortJobGeneration = 0;    // m_nLayoutGeneration when the running sort took the rows
    bool m_bSortWaits = false;       // a sort stopped for new files, to start again
};

template <typename Visit>
void CResultsModel::ForEachCheckedRow(Visit visit) const
{
    if (m_store.GetSelectedCount() == 0)
        return;
    const std::vector<char> acted = GetActedFiles();
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        const int item = m_rows[row];
        if (acted[std::size_t(item)])
            visit(int(row), item);
    }
}
