#pragma once

#include "controls/CImageList.h"

#include <QTableView>

class CCheckBoxItemDelegate;
class CSortArrowHeader;

// A list in report form (rows of columns, no tree) over any flat model,
// with the program's sorting header. When the model gives its first column
// a check state (Qt::CheckStateRole) every row shows a check box there.
//
// Every check change made through the list goes through GetCheck/SetCheck/
// ToggleCheck, which write the model and then emit checkChanged while the
// change is still in progress: a click on a check box, a double-click on a
// row's first column, the space bar on the selected rows. The owner keeps
// its totals from that signal alone, so it is emitted exactly when a row
// becomes checked (1) or stops being checked (0), never for a call that
// changes nothing, never for new or removed rows.
//
// The check state lives in the model, so it stays with its row through any
// sort. A flip costs the same whatever the row count.
//
// A table view without grid or row headers, rather than a tree view: a tree
// keeps a record of 40 bytes for every row and walks all of them again after
// each sort, which for a million files is 40 MB and a visible stall; a table
// keeps 8 bytes a row in its hidden row header, all rows one height.
class CCheckBoxListCtrl : public QTableView
{
    Q_OBJECT
public:
    explicit CCheckBoxListCtrl(QWidget *parent = nullptr);

    CSortArrowHeader *SortHeader() const { return m_pHeader; }
    // The column header, under the name a list's header has elsewhere.
    QHeaderView *header() const { return horizontalHeader(); }
    const CImageList &CheckImages() const { return m_imlCheck; }

    // 1 checked, 0 unchecked, -1 for a row without a check box.
    int GetCheck(int nItem) const;
    // Checks (`bCheck`) or unchecks the row; reports a flip. A row without a
    // check box gets one.
    void SetCheck(int nItem, bool bCheck);
    // Flips the row's check box; false when the row has none or the model
    // refused the change.
    bool ToggleCheck(int nItem);

    // The selected rows, in list order.
    QVector<int> GetSelectedRows() const;

    // Typed text goes to the next row whose first column starts with it.
    void keyboardSearch(const QString &search) override;
    void setModel(QAbstractItemModel *model) override;

signals:
    // The row's check box has flipped; `nNewState` 1 checked, 0 unchecked.
    void checkChanged(int nNewState, int nItem);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void changeEvent(QEvent *event) override;

private:
    QModelIndex CheckIndex(int nItem) const;
    bool ApplyCheck(int nItem, bool bCheck);
    // Tells assistive tools that row `nItem`'s check box flipped.
    void AnnounceCheck(int nItem);
    // The row whose check box lies under `point`, or -1.
    int CheckBoxAt(const QPoint &point) const;
    // Every row is as high as the first row's cells need (the font, the
    // check box), as in a list whose rows all look alike.
    void UpdateRowHeight();

    CImageList m_imlCheck;
    CCheckBoxItemDelegate *m_pDelegate = nullptr;
    CSortArrowHeader *m_pHeader = nullptr;
    // The left button went down on a check box and is still down: the rest
    // of that press is not the view's to act on.
    bool m_bCheckPress = false;
};
