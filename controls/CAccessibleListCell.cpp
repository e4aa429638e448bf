#include "controls/CAccessibleListCell.h"

#include "controls/CCheckBoxListCtrl.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>

CAccessibleListCell::CAccessibleListCell(CCheckBoxListCtrl *list, int row, int column)
    : m_pList(list)
    , m_nRow(row)
    , m_nColumn(column)
{
}

QModelIndex CAccessibleListCell::Index() const
{
    if (!m_pList || !m_pList->model() || IsHeader())
        return QModelIndex();
    return m_pList->model()->index(m_nRow, m_nColumn, m_pList->rootIndex());
}

bool CAccessibleListCell::isValid() const
{
    if (!m_pList || !m_pList->model())
        return false;
    const QAbstractItemModel *model = m_pList->model();
    return m_nColumn >= 0 && m_nColumn < model->columnCount(m_pList->rootIndex())
           && m_nRow < model->rowCount(m_pList->rootIndex());
}

QAccessibleInterface *CAccessibleListCell::parent() const
{
    return QAccessible::queryAccessibleInterface(m_pList.data());
}

bool CAccessibleListCell::HasCheckBox() const
{
    const QModelIndex index = Index();
    return index.isValid() && index.data(Qt::CheckStateRole).isValid();
}

QString CAccessibleListCell::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !isValid())
        return QString();
    if (IsHeader())
        return m_pList->model()->headerData(m_nColumn, Qt::Horizontal, Qt::DisplayRole).toString();
    return Index().data(Qt::DisplayRole).toString();
}

QRect CAccessibleListCell::rect() const
{
    if (!isValid())
        return QRect();
    if (IsHeader()) {
        QHeaderView *header = m_pList->header();
        const QRect section(header->sectionViewportPosition(m_nColumn), 0, header->sectionSize(m_nColumn),
                            header->height());
        return QRect(header->mapToGlobal(section.topLeft()), section.size());
    }
    const QRect cell = m_pList->visualRect(Index());
    return QRect(m_pList->viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

QAccessible::Role CAccessibleListCell::role() const
{
    return IsHeader() ? QAccessible::ColumnHeader : QAccessible::Cell;
}

QAccessible::State CAccessibleListCell::state() const
{
    QAccessible::State st;
    if (!isValid()) {
        st.invalid = true;
        return st;
    }
    if (IsHeader())
        return st;
    const QRect visible = m_pList->viewport()->rect();
    if (!visible.intersects(m_pList->visualRect(Index())))
        st.invisible = true;
    st.selectable = true;
    st.selected = isSelected();
    st.focusable = true;
    st.focused = m_pList->hasFocus() && m_pList->currentIndex().row() == m_nRow;
    if (HasCheckBox()) {
        st.checkable = true;
        st.checked = Index().data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    return st;
}

void *CAccessibleListCell::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
    if (t == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

bool CAccessibleListCell::isSelected() const
{
    const QModelIndex index = Index();
    return index.isValid() && m_pList->selectionModel() && m_pList->selectionModel()->isSelected(index);
}

QList<QAccessibleInterface *> CAccessibleListCell::columnHeaderCells() const
{
    QAccessibleInterface *list = parent();
    QAccessibleTableInterface *tableInterface = list ? list->tableInterface() : nullptr;
    if (!tableInterface || IsHeader())
        return {};
    return {tableInterface->cellAt(-1, m_nColumn)};
}

QStringList CAccessibleListCell::actionNames() const
{
    if (HasCheckBox() && m_pList->isEnabled())
        return {toggleAction()};
    return {};
}

void CAccessibleListCell::doAction(const QString &actionName)
{
    if (actionName == toggleAction() && HasCheckBox() && m_pList->isEnabled())
        m_pList->ToggleCheck(m_nRow);
}

QStringList CAccessibleListCell::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == toggleAction())
        return {QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)};
    return {};
}
