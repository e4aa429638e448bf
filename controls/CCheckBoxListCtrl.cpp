#include "controls/CCheckBoxListCtrl.h"

#include "controls/AccessibleFactory.h"
#include "controls/CAccessibleCheckList.h"
#include "controls/CCheckBoxItemDelegate.h"
#include "controls/CSortArrowHeader.h"
#include "controls/CheckBoxBitmap.h"

#include <QAccessible>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>

#include <algorithm>

CCheckBoxListCtrl::CCheckBoxListCtrl(QWidget *parent)
    : QTableView(parent)
{
    EnsureAccessibleFactory();
    m_imlCheck.Create(QPixmap::fromImage(CheckBoxBitmap()), CCheckBoxItemDelegate::kCheckCell,
                      CheckBoxBitmapMask());
    m_pDelegate = new CCheckBoxItemDelegate(&m_imlCheck, this);
    setItemDelegate(m_pDelegate);
    m_pHeader = new CSortArrowHeader(this);
    m_pHeader->Attach(this);
    // Columns may be dragged into another order, the first one too: this is
    // a flat list, its first column carries no tree. The check boxes belong
    // to the model's first column and go wherever it goes.
    m_pHeader->setSectionsMovable(true);
    m_pHeader->setFirstSectionMovable(true);

    m_pHeader->setStretchLastSection(true);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // Tab leaves the list, as it leaves any list, instead of walking its
    // cells; a typed letter finds a row, it never starts editing a cell.
    setTabKeyNavigation(false);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    UpdateRowHeight();
    // A click on a check box must leave the keyboard focus where it is, so
    // the list takes the focus itself on the other clicks.
    setFocusPolicy(Qt::TabFocus);
}

QModelIndex CCheckBoxListCtrl::CheckIndex(int nItem) const
{
    const QAbstractItemModel *itemModel = model();
    if (!itemModel || nItem < 0 || nItem >= itemModel->rowCount(rootIndex()))
        return QModelIndex();
    return itemModel->index(nItem, 0, rootIndex());
}

int CCheckBoxListCtrl::GetCheck(int nItem) const
{
    const QModelIndex index = CheckIndex(nItem);
    if (!index.isValid())
        return -1;
    const QVariant state = index.data(Qt::CheckStateRole);
    if (!state.isValid())
        return -1;
    return state.toInt() == Qt::Checked ? 1 : 0;
}

bool CCheckBoxListCtrl::ApplyCheck(int nItem, bool bCheck)
{
    const QModelIndex index = CheckIndex(nItem);
    if (!index.isValid()
        || !model()->setData(index, int(bCheck ? Qt::Checked : Qt::Unchecked), Qt::CheckStateRole))
        return false;
    AnnounceCheck(nItem);
    emit checkChanged(bCheck ? 1 : 0, nItem);
    return true;
}

void CCheckBoxListCtrl::AnnounceCheck(int nItem)
{
    if (!QAccessible::isActive())
        return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    event.setChild(CAccessibleCheckList::ChildIndex(this, nItem, 0));
    QAccessible::updateAccessibility(&event);
}

void CCheckBoxListCtrl::SetCheck(int nItem, bool bCheck)
{
    const int current = GetCheck(nItem);
    if (current == (bCheck ? 1 : 0))
        return;
    if (current == -1 && !bCheck) {
        // A row that had no box was never counted as checked: giving it an
        // empty one is no flip.
        const QModelIndex index = CheckIndex(nItem);
        if (index.isValid())
            model()->setData(index, int(Qt::Unchecked), Qt::CheckStateRole);
        return;
    }
    ApplyCheck(nItem, bCheck);
}

bool CCheckBoxListCtrl::ToggleCheck(int nItem)
{
    const int current = GetCheck(nItem);
    if (current == -1)
        return false;
    return ApplyCheck(nItem, current == 0);
}

QVector<int> CCheckBoxListCtrl::GetSelectedRows() const
{
    QVector<int> rows;
    if (!selectionModel())
        return rows;
    const QModelIndex root = rootIndex();
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        if (range.parent() != root)
            continue;
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int CCheckBoxListCtrl::CheckBoxAt(const QPoint &point) const
{
    if (!model() || horizontalHeader()->isSectionHidden(0))
        return -1;
    const QModelIndex index = indexAt(point);
    if (!index.isValid() || index.parent() != rootIndex())
        return -1;
    const int left = columnViewportPosition(0);
    if (point.x() < left || point.x() >= left + CCheckBoxItemDelegate::kCheckCell)
        return -1;
    const QModelIndex first = index.siblingAtColumn(0);
    if (!CCheckBoxItemDelegate::HasCheckBox(first) || !(first.flags() & Qt::ItemIsEnabled))
        return -1;
    return index.row();
}

void CCheckBoxListCtrl::mousePressEvent(QMouseEvent *event)
{
    m_bCheckPress = false;
    if (event->button() == Qt::LeftButton) {
        const int row = CheckBoxAt(event->position().toPoint());
        if (row >= 0) {
            // The press ends here: neither the selection nor the focus moves.
            m_bCheckPress = true;
            ToggleCheck(row);
            event->accept();
            return;
        }
    }
    setFocus(Qt::MouseFocusReason);
    QTableView::mousePressEvent(event);
}

void CCheckBoxListCtrl::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging from a check box selects nothing.
    if (m_bCheckPress) {
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void CCheckBoxListCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_bCheckPress) {
        m_bCheckPress = false;
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void CCheckBoxListCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint point = event->position().toPoint();
        const int box = CheckBoxAt(point);
        if (box >= 0) {
            // The second press of a double-click arrives as the double-click
            // itself; on a box it is one more flip, like the first press.
            m_bCheckPress = true;
            ToggleCheck(box);
            event->accept();
            return;
        }
        const QModelIndex index = indexAt(point);
        if (index.isValid() && index.column() == 0 && index.parent() == rootIndex()
            && (index.flags() & Qt::ItemIsEnabled))
            ToggleCheck(index.row());
    }
    QTableView::mouseDoubleClickEvent(event);
}

void CCheckBoxListCtrl::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Space && modifiers == Qt::NoModifier) {
        bool bHandled = false;
        for (int row : GetSelectedRows()) {
            const int check = GetCheck(row);
            if (check == -1)
                continue;
            bHandled = true;
            SetCheck(row, check == 0);
        }
        if (bHandled) {
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void CCheckBoxListCtrl::keyboardSearch(const QString &search)
{
    // Typing finds a row by the start of its first column (the file name),
    // whichever cell was clicked last: the search runs in the column of the
    // current index, so that index is moved to the first column of its row
    // first, leaving the selection alone.
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.column() != 0 && selectionModel())
        selectionModel()->setCurrentIndex(current.siblingAtColumn(0), QItemSelectionModel::NoUpdate);
    QTableView::keyboardSearch(search);
}

void CCheckBoxListCtrl::setModel(QAbstractItemModel *itemModel)
{
    QTableView::setModel(itemModel);
    UpdateRowHeight();
}

void CCheckBoxListCtrl::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QTableView::rowsInserted(parent, start, end);
    if (start == 0)
        UpdateRowHeight(); // the first rows: their cells say how high a row is
}

void CCheckBoxListCtrl::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        UpdateRowHeight();
}

void CCheckBoxListCtrl::UpdateRowHeight()
{
    // The cells of the first row, or a line of text with a check box when
    // there is none yet.
    int height = std::max(fontMetrics().height() + 2, int(CCheckBoxItemDelegate::kCheckCell));
    if (model() && model()->rowCount(rootIndex()) > 0)
        height = std::max(height, sizeHintForRow(0));
    if (verticalHeader()->defaultSectionSize() != height)
        verticalHeader()->setDefaultSectionSize(height);
}

void CCheckBoxListCtrl::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                    const QList<int> &roles)
{
    // Flipped check boxes change no row height and have no editor, so the
    // view's general handling is not needed: repainting what is on screen
    // costs the same for any rows, one or a whole reason's worth.
    if (topLeft.isValid() && topLeft.column() == 0 && bottomRight.column() == 0 && topLeft.parent() == rootIndex()
        && roles.size() == 1 && roles.first() == Qt::CheckStateRole) {
        if (isVisible())
            viewport()->update();
        return;
    }
    QTableView::dataChanged(topLeft, bottomRight, roles);
}
