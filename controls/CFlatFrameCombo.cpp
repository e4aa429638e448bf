#include "controls/CFlatFrameCombo.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "controls/CImageList.h"
#include "controls/FlatFrames.h"
#include "controls/SystemColors.h"

namespace {

// Where each entry keeps a pointer to its record, so that the record stays
// with its entry whatever the order entries are added in.
constexpr int kItemRole = Qt::UserRole + 0x4242;

// Draws the entries of the open list through the combo box's own item
// drawing.
class ComboItemDelegate : public QStyledItemDelegate
{
public:
    explicit ComboItemDelegate(CFlatFrameCombo *combo)
        : QStyledItemDelegate(combo), m_pCombo(combo) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        CFlatFrameCombo::ItemState state;
        state.bSelected = option.state & QStyle::State_Selected;
        state.bFocus = option.state & QStyle::State_HasFocus;
        state.bDisabled = !(option.state & QStyle::State_Enabled);
        painter->save();
        painter->setClipRect(option.rect);
        m_pCombo->DrawItem(*painter, option.rect, index.row(), state);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const int imageHeight = m_pCombo->GetImageList() ? m_pCombo->GetImageList()->GetImageSize().height() : 0;
        size.setHeight(qMax(imageHeight, option.fontMetrics.height() + 4));
        return size;
    }

private:
    CFlatFrameCombo *m_pCombo;
};

} // namespace

// Tall enough for the two frame rings, the field's own margin and the
// taller of an image and a line of text.
static int FieldHeight(const CFlatFrameCombo &combo)
{
    int content = combo.fontMetrics().height() + 2;
    if (combo.IsOwnerDrawn() && combo.GetImageList())
        content = qMax(content, combo.GetImageList()->GetImageSize().height());
    return content + 2 * 2 + 2;
}

// A box placed before it was given its images may be too low for them; the
// field shows each image from its top edge, so the box grows (never shrinks)
// until a whole image fits.
static void GrowToFitImages(CFlatFrameCombo &combo)
{
    const int needed = FieldHeight(combo);
    if (combo.height() < needed)
        combo.resize(combo.width(), needed);
}

CFlatFrameCombo::CFlatFrameCombo(QWidget *parent)
    : QComboBox(parent)
{
}

CFlatFrameCombo::~CFlatFrameCombo()
{
    // The list belongs to the owner, which is usually our parent: its members
    // are gone before its child widgets are destroyed, so the list must not
    // be touched here. Its images are plain pixmaps that free themselves.
    m_pImageList = nullptr;
}

void CFlatFrameCombo::SetOwnerDrawn(bool bOwnerDrawn)
{
    if (m_bOwnerDrawn == bOwnerDrawn)
        return;
    m_bOwnerDrawn = bOwnerDrawn;
    if (bOwnerDrawn)
        setItemDelegate(new ComboItemDelegate(this));
    else
        setItemDelegate(new QStyledItemDelegate(this));
    GrowToFitImages(*this);
    update();
}

CImageList *CFlatFrameCombo::SetImageList(CImageList *pImageList)
{
    CImageList *previous = m_pImageList;
    m_pImageList = pImageList;
    updateGeometry();
    GrowToFitImages(*this);
    update();
    return previous;
}

int CFlatFrameCombo::AddItem(CComboItem *pItem)
{
    std::unique_ptr<CComboItem> item(pItem);
    if (!item)
        return -1;
    const int before = count();
    addItem(item->m_strText);
    if (count() != before + 1)
        return -1;
    const int index = before;
    setItemData(index, QVariant::fromValue(reinterpret_cast<quintptr>(item.get())), kItemRole);
    m_arrItems.push_back(std::move(item));
    return index;
}

CComboItem *CFlatFrameCombo::GetItem(int nIndex) const
{
    if (nIndex < 0 || nIndex >= count())
        return nullptr;
    return reinterpret_cast<CComboItem *>(itemData(nIndex, kItemRole).value<quintptr>());
}

void CFlatFrameCombo::DrawItem(QPainter &painter, const QRect &rect, int nIndex, const ItemState &state) const
{
    QColor text = GetSysColor(COLOR_WINDOWTEXT);
    QColor background = GetSysColor(COLOR_WINDOW);
    if (state.bSelected) {
        text = QColor(~text.rgb() & 0xFFFFFF);
        background = GetSysColor(COLOR_HIGHLIGHT);
    }
    painter.fillRect(rect, background);
    if (state.bFocus) {
        QPen pen(text, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    if (nIndex < 0 || nIndex >= count())
        return;

    const CComboItem *item = GetItem(nIndex);
    const int indent = item ? item->m_nIndent * CComboItem::kIndentPixels : 0;
    QPoint textAt(rect.left() + indent + 2, rect.top() + 2);
    if (m_pImageList && item) {
        if (state.bEdit) {
            m_pImageList->Draw(painter, item->m_nImage, rect.topLeft());
            textAt = QPoint(rect.left() + 20, rect.top() + 2);
        } else {
            m_pImageList->Draw(painter, item->m_nImage,
                               QPoint(rect.left() + indent - CComboItem::kIndentPixels, rect.top()));
            if (state.bDisabled)
                text = GetSysColor(COLOR_INACTIVECAPTIONTEXT);
        }
    }
    painter.setPen(text);
    painter.setFont(font());
    painter.drawText(QRect(textAt, QSize(qMax(0, rect.right() + 1 - textAt.x()) + 0x4000, rect.height())),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, itemText(nIndex));
}

void CFlatFrameCombo::DrawFlatFrame(QPainter &painter) const
{
    const QColor face = GetSysColor(COLOR_BTNFACE);
    const QColor shadow = GetSysColor(COLOR_BTNSHADOW);
    const QColor light = GetSysColor(COLOR_BTNHIGHLIGHT);
    QRect r = rect();
    FrameRect(painter, r, face);
    r.adjust(1, 1, -1, -1);
    Draw3dRect(painter, r, shadow, light);
    r.adjust(1, 1, -1, -1);

    QRect button = r;
    button.setLeft(r.right() + 1 - GetComboButtonWidth());
    painter.fillRect(button, face);
    if (m_bDropped)
        Draw3dRect(painter, button, shadow, light);
    else
        Draw3dRect(painter, button, light, shadow);
    FrameRect(painter, button.adjusted(1, 1, -1, -1), face);

    // The arrow: a small solid triangle, pushed in with the button.
    const int arrowWidth = 7;
    int x = button.left() + (button.width() - arrowWidth) / 2;
    int y = button.top() + (button.height() - 4) / 2;
    if (m_bDropped) {
        ++x;
        ++y;
    }
    const QColor arrow = isEnabled() ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT);
    for (int row = 0; row < 4; ++row)
        painter.fillRect(QRect(x + row, y + row, arrowWidth - 2 * row, 1), arrow);
}

void CFlatFrameCombo::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect inner = rect().adjusted(2, 2, -2, -2);
    const int buttonLeft = inner.right() + 1 - GetComboButtonWidth();
    painter.fillRect(QRect(inner.topLeft(), QPoint(buttonLeft - 1, inner.bottom())),
                     isEnabled() ? GetSysColor(COLOR_WINDOW) : GetSysColor(COLOR_BTNFACE));
    const QRect field(inner.left() + 1, inner.top() + 1, buttonLeft - inner.left() - 2, inner.height() - 2);

    // The selection field shows the current entry, highlighted while the
    // closed box has the focus.
    const bool highlighted = hasFocus() && !(view() && view()->isVisible());
    if (m_bOwnerDrawn) {
        ItemState state;
        state.bEdit = true;
        state.bSelected = highlighted;
        state.bFocus = highlighted;
        state.bDisabled = !isEnabled();
        painter.save();
        painter.setClipRect(field);
        DrawItem(painter, field, currentIndex(), state);
        painter.restore();
    } else {
        QColor text = isEnabled() ? GetSysColor(COLOR_WINDOWTEXT) : GetSysColor(COLOR_GRAYTEXT);
        if (highlighted) {
            painter.fillRect(field, GetSysColor(COLOR_HIGHLIGHT));
            text = GetSysColor(COLOR_HIGHLIGHTTEXT);
        }
        painter.setPen(text);
        painter.setFont(font());
        painter.drawText(field.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         currentText());
    }
    DrawFlatFrame(painter);
}

void CFlatFrameCombo::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    m_bDropped = 1;
    update();
    showPopup();
}

void CFlatFrameCombo::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // While the list is open it holds the mouse and handles the release
    // itself; one that still reaches the box only ends the pushed look.
    event->accept();
    m_bDropped = 0;
    update();
}

QSize CFlatFrameCombo::sizeHint() const
{
    const QSize base = QComboBox::sizeHint();
    return QSize(base.width(), qMax(base.height(), FieldHeight(*this)));
}

QSize CFlatFrameCombo::minimumSizeHint() const
{
    const QSize base = QComboBox::minimumSizeHint();
    return QSize(base.width(), qMax(base.height(), FieldHeight(*this)));
}

void CFlatFrameCombo::showPopup()
{
    QComboBox::showPopup();
}

void CFlatFrameCombo::hidePopup()
{
    QComboBox::hidePopup();
    if (m_bDropped) {
        m_bDropped = 0;
        update();
    }
}
