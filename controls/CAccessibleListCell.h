#pragma once

#include <QAccessible>
#include <QModelIndex>
#include <QPointer>

class CCheckBoxListCtrl;

// One cell of the check-box list (or, on row -1, one column header) for
// assistive tools: its text, selection, and on the first column the row's
// check box with a toggle action.
class CAccessibleListCell : public QAccessibleInterface,
                            public QAccessibleTableCellInterface,
                            public QAccessibleActionInterface
{
public:
    CAccessibleListCell(CCheckBoxListCtrl *list, int row, int column);

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    bool isSelected() const override;
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_nColumn; }
    int rowIndex() const override { return m_nRow; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    bool IsHeader() const { return m_nRow < 0; }
    QModelIndex Index() const;
    bool HasCheckBox() const;

    QPointer<CCheckBoxListCtrl> m_pList;
    int m_nRow;
    int m_nColumn;
};
