#pragma once

#include <QAccessibleWidget>
#include <QHash>

class CCheckBoxListCtrl;

// The check-box list as a stock table: its name, the column headers, one
// cell per row and column, and the first column's check state on each row.
// Children are numbered as the tree view numbers them in its own focus
// events: the header row first, then the rows, each as wide as the model.
// Cells are made when asked for and dropped at every model change.
class CAccessibleCheckList : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit CAccessibleCheckList(QWidget *widget);
    ~CAccessibleCheckList() override;

    // The child index of the cell at `row` and `column` (-1: the header).
    static int ChildIndex(const CCheckBoxListCtrl *list, int row, int column);

    void *interface_cast(QAccessible::InterfaceType t) override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return QString(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

private:
    CCheckBoxListCtrl *list() const;
    void DropCells();

    mutable QHash<int, QAccessible::Id> m_cells;
};
