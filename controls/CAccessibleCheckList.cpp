#include "controls/CAccessibleCheckList.h"

#include "controls/CAccessibleListCell.h"
#include "controls/CCheckBoxListCtrl.h"

#include <QHeaderView>
#include <QItemSelectionModel>

CAccessibleCheckList::CAccessibleCheckList(QWidget *widget)
    : QAccessibleWidget(widget, QAccessible::Table)
{
}

CAccessibleCheckList::~CAccessibleCheckList()
{
    DropCells();
}

CCheckBoxListCtrl *CAccessibleCheckList::list() const
{
    return static_cast<CCheckBoxListCtrl *>(widget());
}

int CAccessibleCheckList::ChildIndex(const CCheckBoxListCtrl *list, int row, int column)
{
    const int columns = list->model() ? list->model()->columnCount(list->rootIndex()) : 0;
    return (row + 1) * columns + column;
}

void CAccessibleCheckList::DropCells()
{
    for (QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
}

void *CAccessibleCheckList::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

QAccessible::State CAccessibleCheckList::state() const
{
    QAccessible::State st = QAccessibleWidget::state();
    st.multiSelectable = list()->selectionMode() == QAbstractItemView::ExtendedSelection;
    return st;
}

int CAccessibleCheckList::columnCount() const
{
    return list()->model() ? list()->model()->columnCount(list()->rootIndex()) : 0;
}

int CAccessibleCheckList::rowCount() const
{
    return list()->model() ? list()->model()->rowCount(list()->rootIndex()) : 0;
}

int CAccessibleCheckList::childCount() const
{
    return (rowCount() + 1) * columnCount();
}

QAccessibleInterface *CAccessibleCheckList::child(int index) const
{
    const int columns = columnCount();
    if (index < 0 || columns == 0 || index >= childCount())
        return nullptr;
    const auto found = m_cells.constFind(index);
    if (found != m_cells.constEnd())
        return QAccessible::accessibleInterface(found.value());
    auto *cell = new CAccessibleListCell(list(), index / columns - 1, index % columns);
    m_cells.insert(index, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

int CAccessibleCheckList::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    auto *cell = const_cast<QAccessibleInterface *>(child)->tableCellInterface();
    if (!cell || cell->table() != this)
        return -1;
    return ChildIndex(list(), cell->rowIndex(), cell->columnIndex());
}

QAccessibleInterface *CAccessibleCheckList::childAt(int x, int y) const
{
    const QPoint point = list()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = list()->indexAt(point);
    if (index.isValid())
        return cellAt(index.row(), index.column());
    QHeaderView *header = list()->header();
    const QPoint headerPoint = header->mapFromGlobal(QPoint(x, y));
    if (header->isVisible() && header->rect().contains(headerPoint)) {
        const int column = header->logicalIndexAt(headerPoint);
        if (column >= 0)
            return cellAt(-1, column);
    }
    return nullptr;
}

QAccessibleInterface *CAccessibleCheckList::cellAt(int row, int column) const
{
    if (row < -1 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    return child(ChildIndex(list(), row, column));
}

QString CAccessibleCheckList::columnDescription(int column) const
{
    return list()->model() ? list()->model()->headerData(column, Qt::Horizontal).toString() : QString();
}

QList<int> CAccessibleCheckList::selectedRows() const
{
    return QList<int>(list()->GetSelectedRows().cbegin(), list()->GetSelectedRows().cend());
}

int CAccessibleCheckList::selectedRowCount() const
{
    return list()->GetSelectedRows().size();
}

int CAccessibleCheckList::selectedCellCount() const
{
    return selectedRowCount() * columnCount();
}

QList<QAccessibleInterface *> CAccessibleCheckList::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    const int columns = columnCount();
    for (int row : list()->GetSelectedRows()) {
        for (int column = 0; column < columns; ++column)
            cells.append(cellAt(row, column));
    }
    return cells;
}

bool CAccessibleCheckList::isRowSelected(int row) const
{
    QItemSelectionModel *selection = list()->selectionModel();
    return selection && list()->model() && selection->isRowSelected(row, list()->rootIndex());
}

bool CAccessibleCheckList::selectRow(int row)
{
    QItemSelectionModel *selection = list()->selectionModel();
    if (!selection || row < 0 || row >= rowCount())
        return false;
    selection->select(list()->model()->index(row, 0, list()->rootIndex()),
                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    return true;
}

bool CAccessibleCheckList::unselectRow(int row)
{
    QItemSelectionModel *selection = list()->selectionModel();
    if (!selection || row < 0 || row >= rowCount())
        return false;
    selection->select(list()->model()->index(row, 0, list()->rootIndex()),
                      QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
}

void CAccessibleCheckList::modelChange(QAccessibleTableModelChangeEvent *)
{
    // Rows move on every insertion, removal and sort: numbered cells would
    // point at other rows, so they are made again when next asked for.
    DropCells();
}
