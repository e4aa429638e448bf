#pragma once

#include <QStyledItemDelegate>

class CImageList;

// Paints the first column of a check-box list: the item's check image in a
// 16-pixel cell at the left of the column, then the item as usual to its
// right. Clicks and keys on the check box are the list's business, never the
// delegate's, so every flip goes through the list and is reported.
class CCheckBoxItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // Width of the check-box cell, and the size of a check image.
    static constexpr int kCheckCell = 16;

    // `images` holds the check images (0 unchecked, 1 checked) and must
    // outlive the delegate.
    explicit CCheckBoxItemDelegate(const CImageList *images, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

    // Whether `index` shows a check box: a first-column item with a check state.
    static bool HasCheckBox(const QModelIndex &index);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    const CImageList *m_pImages;
};
