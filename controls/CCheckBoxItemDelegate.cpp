#include "controls/CCheckBoxItemDelegate.h"

#include "controls/CDevicePixelCanvas.h"
#include "controls/CImageList.h"
#include "controls/CheckBoxBitmap.h"
#include "core/ItemRoles.h"

#include <QPainter>

CCheckBoxItemDelegate::CCheckBoxItemDelegate(const CImageList *images, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_pImages(images)
{
}

bool CCheckBoxItemDelegate::HasCheckBox(const QModelIndex &index)
{
    return index.isValid() && index.column() == 0 && index.data(Qt::CheckStateRole).isValid();
}

void CCheckBoxItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    if (!HasCheckBox(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The check box stands on the list's background, outside the selection
    // highlight, as a state image does.
    const QRect cell = option.rect;
    const QRect box(cell.left(), cell.top(), kCheckCell, cell.height());
    painter->fillRect(box, option.palette.brush(QPalette::Base));
    const bool bChecked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    if (m_pImages) {
        const QPoint at(box.left(), box.top() + (box.height() - kCheckCell) / 2);
        painter->save();
        painter->setClipRect(box, Qt::IntersectClip);
        // A box that can never change is drawn faded, as a disabled one.
        if (index.data(kCheckLockedRole).toBool())
            painter->setOpacity(0.4);
        // Drawn for the screen's pixels where it has more than one per pixel,
        // rather than the 16 by 16 cell resampled.
        const qreal ratio = CDevicePixelCanvas::RatioOf(*painter);
        if (qFuzzyCompare(ratio, 1.0)) {
            m_pImages->Draw(*painter, bChecked ? 1 : 0, at);
        } else {
            // Copied pixel for pixel onto whole device pixels: any scale or
            // fraction left in the painter would resample the cell after all.
            CDevicePixelCanvas::CopyPixels(*painter, at, CheckBoxCell(bChecked ? 1 : 0, ratio));
        }
        painter->restore();
    }
    QStyleOptionViewItem rest(option);
    rest.rect.setLeft(cell.left() + kCheckCell);
    QStyledItemDelegate::paint(painter, rest, index);
}

QSize CCheckBoxItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (HasCheckBox(index))
        size = QSize(size.width() + kCheckCell, qMax(size.height(), kCheckCell));
    return size;
}

void CCheckBoxItemDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                                 const QModelIndex &index) const
{
    QStyleOptionViewItem rest(option);
    if (HasCheckBox(index))
        rest.rect.setLeft(option.rect.left() + kCheckCell);
    QStyledItemDelegate::updateEditorGeometry(editor, rest, index);
}

void CCheckBoxItemDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // The style's own check indicator would draw a second box.
    option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
}

bool CCheckBoxItemDelegate::editorEvent(QEvent *, QAbstractItemModel *, const QStyleOptionViewItem &,
                                        const QModelIndex &)
{
    return false;
}
